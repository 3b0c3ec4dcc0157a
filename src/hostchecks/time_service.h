// Whether the Windows Time service runs.
#pragma once

#include <string>

#include "core/run_context.h"

namespace velkor {

// The answer of the time-service check, for the records and closing rules.
struct TimeService {
  int state = 0;           // 1 running, 0 present in any other state, 2 a service-manager call failed
  std::string text = "0";  // "0" after a status query, else the failed call's Windows error code in decimal
};

// Asks the service manager for the state of "W32Time". A failed call logs
// an ERROR line; a running service logs "Service is running".
TimeService CheckServiceStatus(RunContext& ctx);

}  // namespace velkor
