// One tool run turned into failure conditions. Portable: the parser library
// is reached through ParserCalls.
#pragma once

#include <set>
#include <string>

#include "classify/condition_slots.h"
#include "core/run_context.h"
#include "tools/parser_calls.h"

namespace velkor {

// What the tool runs of one database share with the run around them.
struct ToolRunSetting {
  ParserCalls& parser;
  std::string dailyResultLog;           // the database's result log of the day; empty: none is written
  std::set<int>& unrecognisedReported;  // the tool kinds whose unrecognised report was reported this run
};

// Runs the tool of `toolKind` (0 to 5) and evaluates its report as its
// descriptor says: "1" goes into the status slot of every failure condition
// found (the replication check writes slot 108 either way), and a tool that
// cannot be run or searched puts its error text into the error-code slots
// of all its function IDs. Every phrase looked for gets a daily result log
// entry and activity lines (module "CmdExecute").
// A report of dcdiag, netdiag or repadmin that holds none of the lines of a
// complete English report is not recognised: it marks nothing, its tool's
// error-code slots get "13", and an ERROR line, the daily result log and the
// run's status (once a run for each tool) say so.
// Returns 0 when the tool cannot be run, its keyword search fails or its
// report is not recognised, else 1.
// ctx.CurrentFunctionID is left at the last function ID the evaluation set:
// the tool's fixed one (share listing, policy checks), a keyword's or a
// found detail phrase's; the replication check leaves it as it was.
int CmdExecute(RunContext& ctx, ToolRunSetting& setting, ConditionSlots& errorCodeSlots, int toolKind,
               ConditionSlots& statusSlots);

}  // namespace velkor
