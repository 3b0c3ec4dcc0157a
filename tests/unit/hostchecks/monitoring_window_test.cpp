#include "hostchecks/monitoring_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/guard.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

LocalTime At(int hour, int minute, int second, int dayOfWeek = 3) {
  return LocalTime{2014, 3, dayOfWeek, 5, hour, minute, second, 0};
}

int ExitCodeOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const RunEnded& ended) {
    return ended.exitCode;
  }
  return -1;
}

TEST(MonitoringWindow, TimeOfDayReadsLikeScanfDecimalFields) {
  const struct {
    const char* text;
    long long seconds;
  } cases[] = {
      {"23:59:59", 86399},
      {"8:30", 8 * 3600 + 30 * 60},              // missing seconds count as 0
      {" 7: 5: 9", 7 * 3600 + 5 * 60 + 9},       // blanks before a number are skipped
      {"7 :5:9", 7 * 3600},                      // but ':' must follow the number at once
      {"+1:-1:x", 3600 - 60},                    // signs; the rest ends at a non-number
      {"24:0:0", 24 * 3600},                     // out of range values are kept
      {"99999999999:0:0", 2147483647LL * 3600},  // saturates, no overflow
  };
  for (const auto& c : cases) EXPECT_EQ(ParseTimeOfDay(c.text), c.seconds) << '"' << c.text << '"';
}

TEST(MonitoringWindow, DayListSplitsAtCommasWithoutTrimming) {
  const struct {
    const char* days;
    int today;
    bool listed;
  } cases[] = {
      {"0,1,2,3,4,5,6", 6, true}, {"1,2,3,4,5", 0, false}, {"0,,6", 6, true}, {",,6,", 6, true},
      {" 1", 1, false},           {"1 ", 1, false},        {"", 0, false},    {"01", 1, false},
      {"12", 1, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DayListContains(c.days, c.today), c.listed) << '"' << c.days << "\" / " << c.today;
}

// Open from `from` to `to` on weekdays.
DeviceSection Open(const char* from, const char* to, const char* localMachine = "Y") {
  return {1, localMachine, 1, from, to, "1,2,3,4,5"};
}

// Time bounds are inclusive and do not wrap past midnight; an absent TOTIME
// passes only at midnight.
TEST(MonitoringWindow, FirstFailingRuleInKeyOrderIsLogged) {
  const struct {
    DeviceSection section;
    LocalTime now;
    std::string failing;  // "": monitoring allowed
  } cases[] = {
      {Open("08:00:00", "18:00:00"), At(8, 0, 0), ""},
      {Open("08:00:00", "18:00:00"), At(18, 0, 0), ""},
      {Open("", "", "local"), At(0, 0, 0), ""},
      {Open("", "", "y"), At(0, 0, 1), "ToTime"},
      {{2, "", 0, "", "", ""}, At(12, 0, 0), "Type"},
      {{1, "Y ", 0, "", "", ""}, At(12, 0, 0), "LocalMachine"},
      {{1, "Y", 0, "", "", ""}, At(12, 0, 0), "Enable"},
      {Open("08:00:00", "18:00:00"), At(7, 59, 59, 0), "FromTime"},
      {Open("08:00:00", "18:00:00"), At(18, 0, 1, 0), "ToTime"},
      {Open("22:00:00", "06:00:00"), At(23, 0, 0), "ToTime"},
      {Open("22:00:00", "06:00:00"), At(3, 0, 0), "FromTime"},
      {Open("08:00:00", "18:00:00"), At(12, 0, 0, 0), "DaysToMonitor"},
  };
  for (const auto& c : cases) {
    FakeRunContext ctx;
    ctx.clock = c.now;
    EXPECT_EQ(SectionAllowsMonitoring(ctx, c.section), c.failing.empty())
        << c.failing << " at " << c.now.hour << ':' << c.now.minute << ':' << c.now.second;
    EXPECT_EQ(ctx.lines,
              (c.failing.empty()
                   ? std::vector<LoggedLine>{}
                   : std::vector<LoggedLine>{{"CheckPreConditions", "Info",
                                              c.failing + " is not matched in DeviceList.Ini", "", ""}}));
  }
}

struct ClockFailure {};
class BrokenClockContext : public FakeRunContext {
 public:
  LocalTime Now() override { throw ClockFailure{}; }
};

TEST(MonitoringWindow, ClockFailureEndsTheRunWithItsOwnLine) {
  BrokenClockContext ctx;
  EXPECT_EQ(ExitCodeOf([&] { CheckTimeAndDay(ctx, "0:0:0", kFromTimeRule); }), 0);
  EXPECT_EQ(ctx.lines,
            (std::vector<LoggedLine>{
                {"CheckTimeAndDay", "Info", "Exception occured while processing the ini file", "", ""}}));
  EXPECT_TRUE(ctx.statuses.empty());
  EXPECT_EQ(ctx.cleanups, 1);
}

TEST(MonitoringWindow, MissingDeviceListReportsLogsCleansUpAndEndsWithZero) {
  FakeRunContext ctx;
  EXPECT_EQ(ExitCodeOf([&] { StopForMissingDeviceList(ctx); }), 0);
  EXPECT_EQ(ctx.statuses, std::vector<std::string>{"DeviceList.ini File Not Found"});
  EXPECT_EQ(
      ctx.lines,
      (std::vector<LoggedLine>{{"CheckPreConditions", "Info", "DeviceList.Ini File Not Found", "", ""}}));
  EXPECT_EQ(ctx.cleanups, 1);
}

}  // namespace
}  // namespace velkor
