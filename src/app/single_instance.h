#pragma once

#include <cstdint>

#include "core/run_context.h"

namespace velkor {

// Ends every other running copy of the program (any process whose executable
// is named Velkor.exe, in any letter case), each confirmed still to be one
// when it is ended, and waits for each to be gone (a few seconds at most). 0
// when the process list was walked, else the Windows error code of the
// failed snapshot.
std::uint32_t KillPreviousInstances(RunContext& ctx);

}  // namespace velkor
