// The monitoring window of DeviceList.ini: whether this host's section allows
// monitoring now. Takes the section's values as read and the local time;
// the Windows side (CheckPreConditions) only gathers them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/local_time.h"
#include "core/run_context.h"

namespace velkor {

// The `kind` argument of CheckTimeAndDay.
inline constexpr int kFromTimeRule = 0;
inline constexpr int kToTimeRule = 1;
inline constexpr int kDaysToMonitorRule = 2;

// Seconds since midnight of an "h:m:s" text, read field by field as "%d:%d:%d"
// reads it: fields that are not there count as 0, numbers out of the usual
// range are used as they are.
std::int64_t ParseTimeOfDay(std::string_view text);

// True when an item of the comma-separated `days` equals `dayOfWeek` written
// in decimal. Empty items are skipped; items are not trimmed.
bool DayListContains(std::string_view days, int dayOfWeek);

// One time or day rule at `now`: kind 0 passes at or after `value`, kind 1 at
// or before it, kind 2 when today's day number is listed; other kinds fail.
bool TimeAndDayMatches(std::string_view value, int kind, const LocalTime& now);

// TimeAndDayMatches at ctx.Now(), with the catch-all handler of "CheckTimeAndDay".
bool CheckTimeAndDay(RunContext& ctx, std::string_view value, int kind);

// The keys of this host's section, as the INI functions return them (a
// missing key reads as 0 or as an empty text).
struct DeviceSection {
  int type = 0;
  std::string localMachine;
  int enable = 0;
  std::string fromTime;
  std::string toTime;
  std::string daysToMonitor;
};

// Applies the section's rules in key order (TYPE, LOCALMACHINE, ENABLE,
// FROMTIME, TOTIME, DAYSTOMONITOR). The first rule that fails logs its
// message under "CheckPreConditions" and gives false; true when all pass.
bool SectionAllowsMonitoring(RunContext& ctx, const DeviceSection& section);

// The end of the run when DeviceList.ini is missing: status report, activity
// line, ShutdownCleanup, exit code 0.
[[noreturn]] void StopForMissingDeviceList(RunContext& ctx);

}  // namespace velkor
