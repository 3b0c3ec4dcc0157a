// Files of the source tree (recorded reports, sample databases) for the
// portable tests, natively and under Wine.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velkor::testing {

// `relative` below the source tree (VELKOR_SOURCE_DIR; the Unix root is Z: under Wine).
inline std::filesystem::path SourcePath(const std::string& relative) {
  const char* root = std::getenv("VELKOR_SOURCE_DIR");
  std::string source = root != nullptr ? root : ".";
#ifdef _WIN32
  source = "Z:" + source;
#endif
  return std::filesystem::path(source) / relative;
}

inline std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(SourcePath(relative), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// LF line ends made CR LF, as the tools print their reports.
inline std::string WithCrLf(const std::string& text) {
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

}  // namespace velkor::testing
