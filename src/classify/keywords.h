// First level of the failure vocabulary: the keywords of each tool kind, the
// function ID that a keyword stands for, and the quick run's keyword lists.
#pragma once

#include <string_view>

#include "core/phrase_list.h"
#include "core/run_context.h"

namespace velkor {

// Fills `out` with the keywords of `toolKind` (0 to 5) and returns their
// count. Tool kinds with a fixed function ID (net share, both policy checks,
// repadmin) make it the CurrentFunctionID first. Any other tool kind returns
// 0 and touches neither `out` nor CurrentFunctionID.
int GetKeyWords(RunContext& ctx, int toolKind, PhraseList& out);

// Makes the function ID of `keyword` the CurrentFunctionID; a keyword without
// one (compared whole and case-sensitively) leaves it as it is.
void SetKeyWordFunctionID(RunContext& ctx, std::string_view keyword);

// The quick run's keywords: selector 0 the share names, 1 the connectivity
// failure line. Returns the count; any other selector returns 0 and leaves
// `out` untouched. Never changes CurrentFunctionID.
int GetKeyWordsToSearch(RunContext& ctx, int selector, PhraseList& out);

}  // namespace velkor
