// The per-database, per-host, per-day log of every phrase searched.
#pragma once

#include <string_view>

#include "core/run_context.h"

namespace velkor {

// The day's result log of the database `databaseName` (its folder created):
// "<installation>Nexagent\DataDirectory\<database>\<host>\<YYYYMM>\velkor\velkor_<YYYYMMDD>.Log".
// Without a host name it falls back to the computer name; with neither, or
// with a path over its limit, the log is off for this database (empty).
std::string SetDailyResultLogPath(RunContext& ctx, const std::string& databaseName);

}  // namespace velkor
