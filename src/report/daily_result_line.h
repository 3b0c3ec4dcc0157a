// The daily result log's folder, file name and lines.
#pragma once

#include <string>
#include <string_view>

#include "core/local_time.h"
#include "core/run_context.h"

namespace velkor {

inline constexpr std::string_view kDailyResultHeader =
    "#Fields:\tDATE TIME\tFunction Name\tKEYWORD\tSTATUS\n";

// "<installation>Nexagent\DataDirectory\<database>\<host>\<YYYYMM>\velkor".
std::string DailyResultFolder(std::string_view installationPath, std::string_view databaseName,
                              std::string_view hostName, const LocalTime& t);
// "<folder>\velkor_<YYYYMMDD>.Log".
std::string DailyResultFile(std::string_view folder, const LocalTime& t);
// "YYYY-MM-DD hh:mm:ss\t<function>\t<keyword>\t<status>\n".
std::string DailyResultEntry(const LocalTime& t, std::string_view functionName, std::string_view keyword,
                             int status);

// Appends one entry to the daily result log at `path`, the field line first
// when the file is new (line ends CR LF, as text mode writes them on Windows).
// Nothing when `path` is empty; a file that cannot be opened loses the entry
// silently.
void AppendDailyResult(RunContext& ctx, const std::string& path, std::string_view functionName,
                       std::string_view keyword, int status);

}  // namespace velkor
