// The connectivity quick run ("Velkor.exe 1"): for every monitoring database
// the result component names, the share listing and the dcdiag connectivity
// test, with their outcome handed straight to that component.
#pragma once

#include "app/win_run_context.h"

namespace velkor {

// Runs the quick run of every database. A component that cannot be created
// ends the run with code 0; so does any exception.
void SetMonIDStatus(WinRunContext& ctx);

}  // namespace velkor
