// The catch-all handlers. Every operation runs its body through Guarded with
// its own HandlerPolicy, stated once where the operation is defined; one piece
// of code (CarryOutPolicy) carries the policy out, and the run then ends with
// code 0: through HandleFailure for what a handler catches, through the
// last-chance handling for a fault that escapes every handler.
#pragma once

#include <string_view>
#include <utility>

#include "core/run_context.h"

namespace velkor {

// What a handler puts into the detail field of its activity line.
enum class ErrorDetail {
  None,         // an empty detail
  SystemText,   // FormatErrorText of the last Windows error, then LastErrorText
  DecimalCode,  // the last Windows error in decimal, stored in LastErrorText
};

struct HandlerPolicy {
  std::string_view module;          // module name of the activity line
  std::string_view type = "ERROR";  // entry type of the activity line
  std::string_view message = "Exception Occured ";
  ErrorDetail detail = ErrorDetail::SystemText;
  bool writeLine = true;     // write the activity line at all
  bool reportStatus = true;  // "Exception occured in <module> while processing the data"
  bool cleanup = true;       // ShutdownCleanup before the run ends
};

// The standard handler of an operation: ERROR line, status report, cleanup.
constexpr HandlerPolicy StandardHandler(std::string_view module) { return {.module = module}; }
// The standard handler without the status report.
constexpr HandlerPolicy HandlerWithoutStatus(std::string_view module) {
  return {.module = module, .reportStatus = false};
}

// Thrown to end the run with an exit code; WinMain turns it into its result.
// Handlers never catch it, so an inner handler's end is final.
struct RunEnded {
  int exitCode;
};

[[noreturn]] void EndRun(int exitCode);

// Carries out `policy`'s steps for a failure that has just happened: the
// activity line, the status report and the cleanup it asks for. Ending the run
// is the caller's. With `reportFirst` the status is reported before the line
// is written: a fault that escaped every handler may have been the logger's.
void CarryOutPolicy(RunContext& ctx, const HandlerPolicy& policy, bool reportFirst = false);

// Carries out `policy` for a failure that has just been caught, then ends the run.
[[noreturn]] void HandleFailure(RunContext& ctx, const HandlerPolicy& policy);

// A fault that no catch-all handler sees (a structured exception such as an
// access violation, in the program or in a component: catch (...) does not
// catch it) is handled with the run and policy registered here, for the life
// of this object. One registration at a time.
class LastChanceHandling {
 public:
  LastChanceHandling(RunContext& ctx, const HandlerPolicy& policy);
  LastChanceHandling(const LastChanceHandling&) = delete;
  LastChanceHandling& operator=(const LastChanceHandling&) = delete;
  ~LastChanceHandling();

 private:
  friend void HandleFaultOutsideHandlers() noexcept;
  RunContext& ctx_;
  const HandlerPolicy policy_;  // a copy: the caller's may be a temporary
};

// Carries out the registered policy on the registered run for such a fault,
// without throwing; nothing when no run is registered. The caller then ends
// the process with exit code 0, as every handler does.
void HandleFaultOutsideHandlers() noexcept;

template <class Body>
decltype(auto) Guarded(RunContext& ctx, const HandlerPolicy& policy, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const RunEnded&) {
    throw;
  } catch (...) {
    HandleFailure(ctx, policy);
  }
}

}  // namespace velkor
