// Composition of activity-log lines: seven tab-separated fields, the first
// holding date and time, ending in a single line feed.
#pragma once

#include <string>
#include <string_view>

#include "core/local_time.h"

namespace velkor {

inline constexpr std::string_view kActivityFieldLine =
    "#Fields:\tdate time\tUser Name\tmodule\ttype\tDescription\n";
inline constexpr std::string_view kActivityHeaderMarker = "Header\r\n";

// "Information" in any case becomes "INFO"; anything else is cut to 99 characters and upper-cased.
std::string NormaliseEntryType(std::string_view type);

// "YYYY-MM-DD".
std::string FormatLogDate(const LocalTime& t);

// The whole line, cut to the line limit (the final line feed is kept).
std::string ComposeActivityLine(std::string_view date, std::string_view time, std::string_view user,
                                std::string_view module, std::string_view type, std::string_view message,
                                std::string_view detail, std::string_view extra);

}  // namespace velkor
