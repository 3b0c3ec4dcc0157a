// The failure vocabulary: every phrase list that the tool evaluation hands to
// the search component, and the tables that map phrases to function IDs.
// Each list is stored exactly once, byte for byte as the tools print it
// (dot leaders, doubled blanks, trailing blanks and the tools' misspellings
// are significant); every lookup reads these same arrays.
#pragma once

#include <span>
#include <string_view>

namespace velkor::tables {

// A top-level phrase of dcdiag or netdiag and the function ID it stands for;
// 0 where the phrase keeps the function ID that is current.
struct Keyword {
  std::string_view phrase;
  int functionId;
};

// The detail phrases searched once `keyword` has been found.
struct SubKeywordList {
  std::string_view keyword;
  std::span<const std::string_view> phrases;
};

// One row of the detail-phrase to function-ID table.
struct PhraseFunctionId {
  int functionId;
  std::string_view phrase;
};

// An inclusive range of function IDs.
struct FunctionIdRange {
  int first;
  int last;
};

// Keys of the sub-keyword lists, in the order they are compared.
std::span<const SubKeywordList> SubKeywordLists();

// Detail phrase to function ID, compared from the first row to the last.
std::span<const PhraseFunctionId> SubKeywordFunctionIds();

}  // namespace velkor::tables
