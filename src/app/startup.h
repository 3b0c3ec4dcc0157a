// The run from start-up to its end: agent locations, logger, gates, then the
// full run or the end of the quick run.
#pragma once

#include "app/win_run_context.h"

namespace velkor {

// The body of WinMain. Returns 1 when the run reaches its end; every early
// stop ends through EndRun(0).
int RunVelkor(WinRunContext& ctx);

// Ends the quick run: the final line, cleanup; returns 1 (no settlement).
int FinishQuickRun(WinRunContext& ctx);

// Ends the run, as every early stop does: cleanup and exit code 0.
[[noreturn]] void StopRun(WinRunContext& ctx);

}  // namespace velkor
