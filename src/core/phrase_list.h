// The phrase list handed to the search component: ordered phrases with their
// count (the vector's size). An empty element means "no phrase at all"; the
// component boundary passes it as an empty value.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

using PhraseList = std::vector<std::string>;

// Replaces the contents of `out` with `phrases` and returns their count.
inline int AssignPhrases(std::span<const std::string_view> phrases, PhraseList& out) {
  out.assign(phrases.begin(), phrases.end());
  return static_cast<int>(out.size());
}

}  // namespace velkor
