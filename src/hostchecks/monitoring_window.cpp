#include "hostchecks/monitoring_window.h"

#include <array>

#include "core/guard.h"
#include "core/text.h"

namespace velkor {
namespace {

constexpr HandlerPolicy kCheckTimeAndDayHandler{.module = "CheckTimeAndDay",
                                                .type = "Info",
                                                .message = "Exception occured while processing the ini file",
                                                .detail = ErrorDetail::None,
                                                .reportStatus = false};

}  // namespace

std::int64_t ParseTimeOfDay(std::string_view text) {
  std::array<int, 3> fields{0, 0, 0};
  ScanDecimals(text, ':', fields);
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
