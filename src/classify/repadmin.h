// The replication check: the consecutive-failure count that repadmin prints
// near the end of its report.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/run_context.h"

namespace velkor {

// Reads the output file named by ToolOutputPath and returns 1 when the
// "CONSECUTIVE FAILURES" line among its last three lines counts more than ten
// failures, else 0. When the file cannot be opened, `text` receives the
// system error code in decimal and the result is 0; otherwise `text` is left
// as it is. `counted` (when given) tells whether that line was found and read.
// The report is read as binary, its CR LF taken as line ends.
int ParseRepadminFile(RunContext& ctx, std::string& text, bool* counted = nullptr);

// The reading part of ParseRepadminFile: reads `report` (opened "rb") from
// where it stands to its end and counts as ParseRepadminFile does, without
// its handler.
int CountReportFailures(RunContext& ctx, std::FILE* report, bool* counted = nullptr);

// Reads the number that follows the first blank of `line` (the second
// blank-separated word, as atoi reads it), logs the line and returns 1 when
// the number is greater than 10. A line with fewer than two blanks gives 0
// without a log line.
int CountofFailures(RunContext& ctx, std::string_view line);

}  // namespace velkor
