// Second level of the failure vocabulary: the detail phrases searched once a
// keyword has been found.
#pragma once

#include <string_view>

#include "core/phrase_list.h"
#include "core/run_context.h"

namespace velkor {

// Fills `out` with the detail phrases of `keyword` (compared whole and
// case-sensitively) and returns their count; 0 and `out` untouched when the
// keyword has no detail list.
int SubKeyWords(RunContext& ctx, std::string_view keyword, PhraseList& out);

// The quick run's detail list: for selector 1 three elements, of which only
// the first holds a phrase, and the result 3; any other selector returns 0
// and leaves `out` untouched.
int SubKeyWordstoSearch(RunContext& ctx, int selector, PhraseList& out);

}  // namespace velkor
