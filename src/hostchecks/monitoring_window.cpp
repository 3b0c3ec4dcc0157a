#include "hostchecks/monitoring_window.h"

#include <array>
#include <limits>

#include "core/guard.h"
#include "core/text.h"

namespace velkor {
namespace {

constexpr HandlerPolicy kCheckTimeAndDayHandler{"CheckTimeAndDay",
                                                "Info",
                                                "Exception occured while processing the ini file",
                                                ErrorDetail::None,
                                                true,
                                                false,
                                                true};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// One "%d" conversion at `pos`: blanks, an optional sign, at least one digit.
// Saturates instead of overflowing. False (and `pos` unchanged) when no number is there.
bool ReadDecimal(std::string_view text, std::size_t& pos, int& value) {
  std::size_t i = pos;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digits = i;
  std::int64_t magnitude = 0;
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<int>::max()} + 1;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kCap) magnitude = kCap;
    ++i;
  }
  if (i == digits) return false;
  std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<int>::max()) signedValue = std::numeric_limits<int>::max();
  value = static_cast<int>(signedValue);
  pos = i;
  return true;
}

}  // namespace

std::int64_t ParseTimeOfDay(std::string_view text) {
  std::array<int, 3> fields{0, 0, 0};
  std::size_t pos = 0;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (f > 0) {
      if (pos >= text.size() || text[pos] != ':') break;
      ++pos;
    }
    if (!ReadDecimal(text, pos, fields[f])) break;
  }
  return std::int64_t{fields[0]} * 3600 + std::int64_t{fields[1]} * 60 + fields[2];
}

bool DayListContains(std::string_view days, int dayOfWeek) {
  const std::string today = std::to_string(dayOfWeek);
  std::size_t start = 0;
  while (start <= days.size()) {
    std::size_t end = days.find(',', start);
    if (end == std::string_view::npos) end = days.size();
    const std::string_view item = days.substr(start, end - start);
    if (!item.empty() && item == today) return true;
    start = end + 1;
  }
  return false;
}

bool TimeAndDayMatches(std::string_view value, int kind, const LocalTime& now) {
  const std::int64_t current = std::int64_t{now.hour} * 3600 + std::int64_t{now.minute} * 60 + now.second;
  switch (kind) {
    case kFromTimeRule:
      return current - ParseTimeOfDay(value) >= 0;
    case kToTimeRule:
      return current - ParseTimeOfDay(value) <= 0;
    case kDaysToMonitorRule:
      return DayListContains(value, now.dayOfWeek);
    default:
      return false;
  }
}

bool CheckTimeAndDay(RunContext& ctx, std::string_view value, int kind) {
  return Guarded(ctx, kCheckTimeAndDayHandler, [&] { return TimeAndDayMatches(value, kind, ctx.Now()); });
}

bool SectionAllowsMonitoring(RunContext& ctx, const DeviceSection& section) {
  const char* failure = nullptr;
  if (section.type != 1) {
    failure = "Type is not matched in DeviceList.Ini";
  } else if (!EqualsIgnoringAsciiCase(section.localMachine, "Y") &&
             !EqualsIgnoringAsciiCase(section.localMachine, "LOCAL")) {
    failure = "LocalMachine is not matched in DeviceList.Ini";
  } else if (section.enable != 1) {
    failure = "Enable is not matched in DeviceList.Ini";
  } else if (!CheckTimeAndDay(ctx, section.fromTime, kFromTimeRule)) {
    failure = "FromTime is not matched in DeviceList.Ini";
  } else if (!CheckTimeAndDay(ctx, section.toTime, kToTimeRule)) {
    failure = "ToTime is not matched in DeviceList.Ini";
  } else if (!CheckTimeAndDay(ctx, section.daysToMonitor, kDaysToMonitorRule)) {
    failure = "DaysToMonitor is not matched in DeviceList.Ini";
  }
  if (failure == nullptr) return true;
  ctx.LogActivity("CheckPreConditions", "Info", failure, "", "");
  return false;
}

void StopForMissingDeviceList(RunContext& ctx) {
  ctx.ReportStatus("DeviceList.ini File Not Found");
  ctx.LogActivity("CheckPreConditions", "Info", "DeviceList.Ini File Not Found", "", "");
  ctx.ShutdownCleanup();
  EndRun(0);
}

}  // namespace velkor
