// What the fuzz targets share: a broken expectation stops the fuzzer with its
// reason, and so does a catch-all handler that ends Velkor's run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/guard.h"

namespace velkor::fuzz {

[[noreturn]] inline void Fail(std::string_view what) {
  std::fprintf(stderr, "velkor fuzz: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

inline void Expect(bool holds, std::string_view what) {
  if (!holds) Fail(what);
}

// Runs `body` as a caller inside Velkor would; an ended run is a finding.
template <class Body>
decltype(auto) WithinRun(Body&& body) {
  try {
    return body();
  } catch (const RunEnded&) {
    Fail("a catch-all handler ended the run");
  }
}

inline std::string_view InputText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The pieces of `text` between the separators; a text without one is one piece.
inline std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  for (std::size_t end; (end = text.find(separator)) != std::string_view::npos; text.remove_prefix(end + 1))
    pieces.push_back(text.substr(0, end));
  pieces.push_back(text);
  return pieces;
}

}  // namespace velkor::fuzz
