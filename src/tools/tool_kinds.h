// The diagnostic tool runs: executable and output file per tool kind.
#pragma once

#include <string>

#include "core/run_context.h"

namespace velkor {

enum ToolKind : int {
  NetShare = 0,
  DcDiag = 1,
  NetDiag = 2,
  GpoDomainPolicy = 3,
  RepAdmin = 4,
  GpoDomainControllerPolicy = 5,
};

// The executable of a tool kind ("" for an unknown kind).
const char* ToolExecutable(int kind);
// The output file name of a tool kind ("" for an unknown kind).
const char* ToolOutputFileName(int kind);
// True for the two policy checks, which run from the Resource Kit folders.
inline bool IsPolicyCheck(int kind) { return kind == GpoDomainPolicy || kind == GpoDomainControllerPolicy; }

// Sets ToolOutputPath for `kind` and returns its executable.
const char* PrepareToolRun(RunContext& ctx, int kind);

}  // namespace velkor
