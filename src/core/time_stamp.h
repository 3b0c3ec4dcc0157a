// The schedule's time stamps: "YYYY-MM-DD hh:mm:ss" on a 24-hour clock.
#pragma once

#include <cstdint>
#include <string>

#include "core/local_time.h"

namespace velkor {

std::string FormatTimeStamp(const LocalTime& t);

// Seconds of the local-time conversion (mktime) of a time stamp; -1 when the
// text cannot be read. Fields missing from the text count as 0.
std::int64_t ParseTimeStamp(const std::string& text);

// True when `now` is at least twelve hours after `last`; false when either is empty.
bool IsTwelveHoursElapsed(const std::string& last, const std::string& now);

}  // namespace velkor
