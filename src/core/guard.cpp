#include "core/guard.h"

#include <string>

#include "core/text_limits.h"

namespace velkor {

void EndRun(int exitCode) { throw RunEnded{exitCode}; }

void CarryOutPolicy(RunContext& ctx, const HandlerPolicy& policy, bool reportFirst) {
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
  const auto report = [&] {
    if (!policy.reportStatus) return;
    std::string text = "Exception occured in ";
    text += policy.module;
    text += " while processing the data";
    ctx.ReportStatus(text);
  };
  if (reportFirst) report();
  if (policy.writeLine) ctx.LogActivity(policy.module, policy.type, policy.message, detail, "");
  if (!reportFirst) report();
  if (policy.cleanup) ctx.ShutdownCleanup();
}

void HandleFailure(RunContext& ctx, const HandlerPolicy& policy) {
  CarryOutPolicy(ctx, policy);
  EndRun(0);
}

namespace {
// The registration that a fault outside every handler is handled with.
const LastChanceHandling* lastChance = nullptr;
}  // namespace

LastChanceHandling::LastChanceHandling(RunContext& ctx, const HandlerPolicy& policy)
    : ctx_(ctx), policy_(policy) {
  lastChance = this;
}

LastChanceHandling::~LastChanceHandling() {
  if (lastChance == this) lastChance = nullptr;
}

void HandleFaultOutsideHandlers() noexcept {
  if (lastChance == nullptr) return;
  try {
    CarryOutPolicy(lastChance->ctx_, lastChance->policy_, true);
  } catch (...) {
    // A step failed and its own handler ended the run (RunEnded), or nothing
    // more can be done: the process ends all the same.
  }
}

}  // namespace velkor
