// The phrase rules of PhraseSearch, written as plainly as possible: the whole
// text in memory, cut into lines, each line searched for each phrase. Slow,
// and meant to be: the fast search is checked against it. Portable, no
// Windows headers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nexparser {

// Whether each of `phrases` occurs in `text` (the rules are in phrase_search.h).
std::vector<bool> ReferenceSearch(std::string_view text, const std::vector<std::string>& phrases);

}  // namespace nexparser
