// The per-database, per-host, per-day log of every phrase searched.
#pragma once

#include <string_view>

#include "core/run_context.h"

namespace velkor {

// Fixes the day's file for the current database (creating its folder) in
// DailyResultLogPath. Without a host name it falls back to the computer name;
// with neither, the log is off for this database.
void SetDailyResultLogPath(RunContext& ctx);

// Appends one entry; a file that cannot be opened loses the entry silently.
void AppendDailyResult(RunContext& ctx, std::string_view functionName, std::string_view keyword, int status);

}  // namespace velkor
