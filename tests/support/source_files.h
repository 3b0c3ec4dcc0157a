// Files of the source tree for the portable tests, natively and under Wine,
// and reports as a Unicode tool prints them.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

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

// A path of the temporary folder for `name`, of this process alone: test
// programs run side by side (ctest's jobs, a mutation run beside a build).
inline std::filesystem::path OwnTempPath(const std::string& name) {
  static const std::string suffix = "." + std::to_string(std::random_device{}());
  return std::filesystem::temp_directory_path() / (name + suffix);
}

// `text` as a tool writing UTF-16LE prints it: a byte-order mark, each byte widened.
inline std::string Utf16(std::string_view text) {
  std::string wide = "\xFF\xFE";
  for (const char c : text) wide += {c, '\0'};
  return wide;
}

}  // namespace velkor::testing
