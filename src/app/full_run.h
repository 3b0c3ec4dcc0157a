// The full run: every monitoring database the database component names is
// opened, tested with the diagnostic tools, evaluated and written record by
// record, page by page; then the run's status is settled.
#pragma once

#include <string>

#include "app/win_run_context.h"

namespace velkor {

// Runs the full run after the gates passed and returns 1 at its end (the
// component released, COM left, ShutdownCleanup done). A database component
// that cannot be created ends the run with code 0.
// `osVersion` is the Windows version as the gates read it.
int RunFullCycle(WinRunContext& ctx, const std::string& osVersion);

}  // namespace velkor
