#include "classify/sub_keywords.h"

#include "classify/phrase_tables.h"
#include "classify/tool_descriptors.h"
#include "core/guard.h"

namespace velkor {

int SubKeyWords(RunContext& ctx, std::string_view keyword, PhraseList& out) {
  constexpr HandlerPolicy kPolicy{
      .module = "SubKeyWords", .message = "Exception Occured", .reportStatus = false};
  return Guarded(ctx, kPolicy, [&] {
    for (const tables::SubKeywordList& list : tables::SubKeywordLists()) {
      if (list.keyword == keyword) return AssignPhrases(list.phrases, out);
    }
    return 0;
  });
}

int SubKeyWordstoSearch(RunContext& ctx, int selector, PhraseList& out) {
  constexpr HandlerPolicy kPolicy = HandlerWithoutStatus("SubKeyWordstoSearch");
  return Guarded(ctx, kPolicy, [&] {
    if (selector != 1) return 0;
    return AssignPhrases(QuickConnectivityTest().details, out);
  });
}

}  // namespace velkor
