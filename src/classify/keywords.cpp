#include "classify/keywords.h"

#include "classify/phrase_tables.h"
#include "core/guard.h"

namespace velkor {

int GetKeyWords(RunContext& ctx, int toolKind, PhraseList& out) {
  constexpr HandlerPolicy kPolicy{"GetKeyWords", "ERROR", "Exception Occured", ErrorDetail::SystemText, true,
                                  false,         true};
  return Guarded(ctx, kPolicy, [&] {
    const auto tools = tables::ToolTables();
    if (toolKind < 0 || static_cast<std::size_t>(toolKind) >= tools.size()) return 0;
    const tables::ToolTable& tool = tools[static_cast<std::size_t>(toolKind)];
    if (tool.fixedFunctionId != 0) ctx.CurrentFunctionID = tool.fixedFunctionId;
    out.clear();
    for (const tables::Keyword& keyword : tool.keywords) out.emplace_back(keyword.phrase);
    return static_cast<int>(out.size());
  });
}

void SetKeyWordFunctionID(RunContext& ctx, std::string_view keyword) {
  for (const tables::ToolTable& tool : tables::ToolTables()) {
    for (const tables::Keyword& entry : tool.keywords) {
      if (entry.functionId != 0 && entry.phrase == keyword) {
        ctx.CurrentFunctionID = entry.functionId;
        return;
      }
    }
  }
}

int GetKeyWordsToSearch(RunContext& ctx, int selector, PhraseList& out) {
  constexpr HandlerPolicy kPolicy{"GetKeyWordsToSearch",
                                  "Info",
                                  "Exception occured while reading the data",
                                  ErrorDetail::None,
                                  true,
                                  false,
                                  false};
  return Guarded(ctx, kPolicy, [&] {
    switch (selector) {
      case 0:
        return AssignPhrases(tables::QuickRunShareKeywords(), out);
      case 1:
        return AssignPhrases(tables::QuickRunConnectivityKeywords(), out);
      default:
        return 0;
    }
  });
}

}  // namespace velkor
