#include "core/guard.h"

#include <string>

#include "core/text_limits.h"

namespace velkor {

void EndRun(int exitCode) { throw RunEnded{exitCode}; }

void HandleFailure(RunContext& ctx, const HandlerPolicy& policy) {
  const std::uint32_t code = ctx.LastSystemError();
  std::string detail;
  switch (policy.detail) {
    case ErrorDetail::None:
      break;
    case ErrorDetail::SystemText:
      ctx.FormatErrorText(code);
      detail = ctx.LastErrorText;
      break;
    case ErrorDetail::DecimalCode:
      ctx.LastErrorText = std::to_string(code);
      detail = ctx.LastErrorText;
      break;
  }
  if (policy.writeLine) ctx.LogActivity(policy.module, policy.type, policy.message, detail, "");
  if (policy.reportStatus) {
    std::string text = "Exception occured in ";
    text += policy.module;
    text += " while processing the data";
    ctx.ReportStatus(text);
  }
  if (policy.cleanup) ctx.ShutdownCleanup();
  EndRun(0);
}

}  // namespace velkor
