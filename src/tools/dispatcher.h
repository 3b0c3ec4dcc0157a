// One tool run turned into failure conditions.
#pragma once

#include "classify/condition_slots.h"
#include "core/run_context.h"
#include "tools/tool_runner.h"

namespace velkor {

// Runs the tool of `toolKind` (0 to 5) through the parser library and
// evaluates its report: "1" goes into the status slot of every failure
// condition found (the replication check writes slot 108 either way), and a
// tool that cannot be run or searched puts its error text into the
// error-code slots of all its function IDs. Every phrase looked for gets a
// daily result log entry and activity lines (module "CmdExecute").
// The share listing counts a share only where a line of the listing names it.
// A report of dcdiag, netdiag or repadmin that holds none of the lines of a
// complete English report is not recognised: it marks nothing, its tool's
// error-code slots get "13", and an ERROR line, the daily result log and the
// run's status (once a run for each tool) say so.
// Returns 0 when the tool cannot be run, its keyword search fails or its
// report is not recognised, else 1.
// ctx.CurrentFunctionID is left at the last function ID the evaluation set:
// the tool's fixed one (share listing, policy checks), a keyword's or a
// found detail phrase's; the replication check leaves it as it was.
int CmdExecute(RunContext& ctx, const ParserEntryPoints& parser, ConditionSlots& errorCodeSlots, int toolKind,
               ConditionSlots& statusSlots);

}  // namespace velkor
