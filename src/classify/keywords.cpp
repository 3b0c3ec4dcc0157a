#include "classify/keywords.h"

#include "classify/tool_descriptors.h"
#include "core/guard.h"

namespace velkor {
namespace {

int AssignKeywords(std::span<const tables::Keyword> keywords, PhraseList& out) {
  out.clear();
  for (const tables::Keyword& keyword : keywords) out.emplace_back(keyword.phrase);
  return static_cast<int>(out.size());
}

}  // namespace

int GetKeyWords(RunContext& ctx, int toolKind, PhraseList& out) {
  constexpr HandlerPolicy kPolicy{
      .module = "GetKeyWords", .message = "Exception Occured", .reportStatus = false};
  return Guarded(ctx, kPolicy, [&] {
    const ToolDescriptor* tool = FullRunTool(toolKind);
    if (tool == nullptr) return 0;
    if (tool->fixedFunctionId != 0) ctx.CurrentFunctionID = tool->fixedFunctionId;
    return AssignKeywords(tool->keywords, out);
  });
}

void SetKeyWordFunctionID(RunContext& ctx, std::string_view keyword) {
  for (const ToolDescriptor& tool : FullRunTools()) {
    for (const tables::Keyword& entry : tool.keywords) {
      if (entry.functionId != 0 && entry.phrase == keyword) {
        ctx.CurrentFunctionID = entry.functionId;
        return;
      }
    }
  }
}

int GetKeyWordsToSearch(RunContext& ctx, int selector, PhraseList& out) {
  constexpr HandlerPolicy kPolicy{.module = "GetKeyWordsToSearch",
                                  .type = "Info",
                                  .message = "Exception occured while reading the data",
                                  .detail = ErrorDetail::None,
                                  .reportStatus = false,
                                  .cleanup = false};
  return Guarded(ctx, kPolicy, [&] {
    switch (selector) {
      case 0:
        return AssignKeywords(QuickShareListing().keywords, out);
      case 1:
        return AssignKeywords(QuickConnectivityTest().keywords, out);
      default:
        return 0;
    }
  });
}

}  // namespace velkor
