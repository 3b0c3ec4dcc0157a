#include "results/result_submission.h"

#include "core/guard.h"

namespace velkor {

namespace {
constexpr HandlerPolicy kSetFuncIDStatHandler = HandlerWithoutStatus("SetFuncIDStat");
}  // namespace

void SetFuncIDStat(RunContext& ctx, ResultComponentClient& component, const std::string& functionId,
                   const platform::Variant& database, const std::string& status,
                   const std::string& errorCode) {
  Guarded(ctx, kSetFuncIDStatHandler, [&] {
    // These lines carry "Info" as their module and their text as the entry type.
    const ComponentOutcome outcome = component.SetMonResults(database, functionId, status, errorCode);
    if (outcome) {
      ctx.LogActivity("Info", "SetMonResults successfully updated with TestID status and Errorcode ",
                      functionId, status, errorCode);
    } else {
      ctx.LogActivity("Info", "SetMonResults failed to update status and Error ", "", functionId,
                      outcome.errorText);
    }
  });
}

}  // namespace velkor
