// Small text helpers shared across the program: ASCII case, numbers as atoi
// and sscanf read them, and C runtime files.
#pragma once

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace velkor {

constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Equal when only ASCII letters differ in case.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Reads a number the way atoi does: optional blanks and sign, then leading
// digits; 0 when none. Out-of-range values saturate instead of overflowing.
int AtoiLike(const std::string& text);

// Reads `text` as sscanf reads it with the pattern "%d:%d:%d" (for `fields`
// of three and ":" as the separator): each number after optional blanks and
// sign, the separator between numbers. Returns how many fields were read; the
// others keep their value. Out-of-range numbers saturate instead of overflowing.
std::size_t ScanDecimals(std::string_view text, char separator, std::span<int> fields);

struct CFileCloser {
  // A deleter cannot report: a writer that must know flushes before its owner goes.
  void operator()(std::FILE* file) const { static_cast<void>(std::fclose(file)); }
};
// A C runtime file, closed when the owner goes (text mode turns "\n" into CRLF on Windows).
using CFile = std::unique_ptr<std::FILE, CFileCloser>;
[[nodiscard]] inline CFile OpenCFile(const std::string& path, const char* mode) {
  return CFile(std::fopen(path.c_str(), mode));
}

}  // namespace velkor
