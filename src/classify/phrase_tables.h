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

// What one tool kind contributes: its keywords (in search order), the
// function ID its keywords fall under when the tool has a fixed one (0 when
// each keyword carries its own), the function IDs that receive the tool's
// error text when it cannot be run or searched, and the lines by which its
// report is recognised: texts that only a complete English report of the
// tool prints, whatever its verdicts, of which one must occur (none where
// the report needs no such check).
struct ToolTable {
  int fixedFunctionId;
  std::span<const Keyword> keywords;
  std::span<const FunctionIdRange> errorCodeRanges;
  std::span<const std::string_view> reportLines;
};

// Tool kinds 0 to 5, indexed by tool kind.
std::span<const ToolTable> ToolTables();

// Keys of the sub-keyword lists, in the order they are compared.
std::span<const SubKeywordList> SubKeywordLists();

// Detail phrase to function ID, compared from the first row to the last.
std::span<const PhraseFunctionId> SubKeywordFunctionIds();

// The quick run's lists. An empty element stands for "no phrase": it goes to
// the search component as an empty value and the quick run skips it.
std::span<const std::string_view> QuickRunShareKeywords();
std::span<const std::string_view> QuickRunConnectivityKeywords();
std::span<const std::string_view> QuickRunConnectivitySubKeywords();

}  // namespace velkor::tables
