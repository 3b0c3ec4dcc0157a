#include "core/text.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace velkor {

int AtoiLike(const std::string& text) {
  // strtol avoids atoi's undefined behaviour on overflow; the result saturates instead.
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > 2147483647L) return 2147483647;
  if (value < -2147483647L - 1) return -2147483647 - 1;
  return static_cast<int>(value);
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// One "%d" conversion at `pos`. False (and `pos` unchanged) when no number stands there.
bool ScanDecimal(std::string_view text, std::size_t& pos, int& value) {
  std::size_t i = pos;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digits = i;
  std::int64_t magnitude = 0;
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<int>::max()} + 1;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kCap) magnitude = kCap;
    ++i;
  }
  if (i == digits) return false;
  std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<int>::max()) signedValue = std::numeric_limits<int>::max();
  value = static_cast<int>(signedValue);
  pos = i;
  return true;
}

}  // namespace

std::size_t ScanDecimals(std::string_view text, char separator, std::span<int> fields) {
  std::size_t pos = 0;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (f > 0) {
      if (pos >= text.size() || text[pos] != separator) return f;
      ++pos;
    }
    if (!ScanDecimal(text, pos, fields[f])) return f;
  }
  return fields.size();
}

}  // namespace velkor
