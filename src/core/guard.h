// The catch-all handlers. Every operation runs its body through Guarded with
// its own HandlerPolicy, stated once where the operation is defined; one piece
// of code (HandleFailure) carries the policy out and ends the run with code 0.
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
constexpr HandlerPolicy StandardHandler(std::string_view module) { return HandlerPolicy{module}; }
// The standard handler without the status report.
constexpr HandlerPolicy HandlerWithoutStatus(std::string_view module) {
  HandlerPolicy p{module};
  p.reportStatus = false;
  return p;
}

// Thrown to end the run with an exit code; WinMain turns it into its result.
// Handlers never catch it, so an inner handler's end is final.
struct RunEnded {
  int exitCode;
};

[[noreturn]] void EndRun(int exitCode);

// Carries out `policy` for a failure that has just been caught, then ends the run.
[[noreturn]] void HandleFailure(RunContext& ctx, const HandlerPolicy& policy);

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
