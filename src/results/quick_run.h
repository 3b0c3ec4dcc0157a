// The connectivity quick run: only the share listing and the dcdiag
// connectivity test, for every monitoring database, with their outcome handed
// straight to the agent's result component.
#pragma once

#include "core/run_context.h"
#include "report/status_file.h"
#include "tools/tool_runner.h"

namespace velkor {

// The rotation number that follows the stored one: 1, 2, 3, 1 ... A stored
// value outside 0 to 2 starts the cycle again at 1, so that only three
// generations of the quick run's output files are ever kept.
constexpr int NextRotation(int stored) { return stored >= 0 && stored <= 2 ? stored + 1 : 1; }

// Runs the share listing and the connectivity test for each database the
// result component names, and submits 1001, 3001, 1003, 3003 and the
// connectivity detail conditions. `status` (may be null) gets the name of the
// database being processed, as the status file names it. A component that
// cannot be created ends the run with code 0; so does any exception.
void SetMonIDStatus(RunContext& ctx, const ParserEntryPoints& parser, StatusContext* status);

}  // namespace velkor
