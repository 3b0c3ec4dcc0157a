// Whether the Windows Time service runs.
#pragma once

#include "core/run_context.h"

namespace velkor {

// Asks the service manager for the state of "W32Time" and leaves the answer in
// ctx.TimeServiceState (1 running, 0 present in any other state, 2 a
// service-manager call failed) and ctx.TimeServiceText ("0" after a status
// query, else the failed call's Windows error code in decimal). A failed call
// logs an ERROR line; a running service logs "Service is running".
void CheckServiceStatus(RunContext& ctx);

}  // namespace velkor
