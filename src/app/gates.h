// The gates between start-up and the monitoring work, in their fixed order;
// the first that fails ends the run.
#pragma once

#include <string>

#include "app/win_run_context.h"

namespace velkor {

// Single instance, registration identifier, argument, monitoring window,
// Windows version, domain-controller role, Support Tools and the parser
// library. Returns the Windows version ("6.1" to "6.3" read as "6.0") when
// all passed, with ctx.RunMode 0 or 1 and the parser's entry points in
// ctx.parser; otherwise the run has ended.
std::string PassGates(WinRunContext& ctx);

}  // namespace velkor
