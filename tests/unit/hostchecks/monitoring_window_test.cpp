#include "hostchecks/monitoring_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/guard.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

LocalTime At(int hour, int minute, int second, int dayOfWeek = 3) {
  LocalTime t;
  t.year = 2014;
  t.month = 3;
  t.day = 5;
  t.dayOfWeek = dayOfWeek;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

struct TimeText {
  const char* text;
  long long seconds;
};

TEST(MonitoringWindow, TimeOfDayReadsLikeScanfDecimalFields) {
  const std::vector<TimeText> cases = {
      {"0:0:0", 0},
      {"23:59:59", 86399},
      {"08:00:00", 8 * 3600},
      {"8:30", 8 * 3600 + 30 * 60},  // missing seconds count as 0
      {"", 0},
      {"abc", 0},
      {" 7: 5: 9", 7 * 3600 + 5 * 60 + 9},  // %d skips blanks before the number
      {"7 :5:9", 7 * 3600},                 // but ':' must follow the number at once
      {"+1:-1:0", 3600 - 60},
      {"24:0:0", 24 * 3600},  // out of range values are kept
      {"12:x:30", 12 * 3600},
      {"99999999999:0:0", 2147483647LL * 3600},  // saturates, no overflow
  };
  for (const auto& c : cases) EXPECT_EQ(ParseTimeOfDay(c.text), c.seconds) << '"' << c.text << '"';
}

struct DayCase {
  const char* days;
  int today;
  bool listed;
};

TEST(MonitoringWindow, DayListSplitsAtCommasLikeStrtok) {
  const std::vector<DayCase> cases = {
      {"0,1,2,3,4,5,6", 0, true},
      {"0,1,2,3,4,5,6", 6, true},
      {"1,2,3,4,5", 0, false},
      {"0,,6", 6, true},
      {",,6,", 6, true},
      {" 1", 1, false},
      {"1 ", 1, false},
      {"", 0, false},
      {",", 0, false},
      {"01", 1, false},
      {"12", 1, false},
      {"3", 3, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DayListContains(c.days, c.today), c.listed) << c.days << " / " << c.today;
}

struct RuleCase {
  const char* value;
  int kind;
  LocalTime now;
  bool passes;
};

TEST(MonitoringWindow, TimeBoundsAreInclusiveAndDoNotWrapPastMidnight) {
  const std::vector<RuleCase> cases = {
      {"08:00:00", kFromTimeRule, At(8, 0, 0), true},
      {"08:00:00", kFromTimeRule, At(7, 59, 59), false},
      {"18:00:00", kToTimeRule, At(18, 0, 0), true},
      {"18:00:00", kToTimeRule, At(18, 0, 1), false},
      {"", kFromTimeRule, At(0, 0, 0), true},
      {"", kToTimeRule, At(0, 0, 0), true},  // an absent TOTIME passes only at midnight
      {"", kToTimeRule, At(0, 0, 1), false},
      {"24:0:0", kToTimeRule, At(23, 59, 59), true},
      {"22:00:00", kFromTimeRule, At(23, 0, 0), true},
      {"06:00:00", kToTimeRule, At(23, 0, 0), false},  // 22:00 to 06:00 never opens
      {"22:00:00", kFromTimeRule, At(3, 0, 0), false},
      {"2", kDaysToMonitorRule, At(12, 0, 0, 2), true},
      {"2", kDaysToMonitorRule, At(12, 0, 0, 3), false},
      {"0:0:0", 3, At(12, 0, 0), false},
      {"0:0:0", -1, At(12, 0, 0), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TimeAndDayMatches(c.value, c.kind, c.now), c.passes)
        << '"' << c.value << "\" kind " << c.kind << " at " << c.now.hour << ':' << c.now.minute << ':'
        << c.now.second;
}

struct ClockFailure {};
class BrokenClockContext : public FakeRunContext {
 public:
  LocalTime Now() override { throw ClockFailure{}; }
};

TEST(MonitoringWindow, CheckTimeAndDayFailureEndsTheRunWithItsOwnLine) {
  BrokenClockContext ctx;
  int exitCode = -1;
  try {
    CheckTimeAndDay(ctx, "0:0:0", kFromTimeRule);
  } catch (const RunEnded& ended) {
    exitCode = ended.exitCode;
  }
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(ctx.lines,
            (std::vector<LoggedLine>{
                {"CheckTimeAndDay", "Info", "Exception occured while processing the ini file", "", ""}}));
  EXPECT_TRUE(ctx.statuses.empty());
  EXPECT_EQ(ctx.cleanups, 1);
}

DeviceSection OpenAllDay() { return {1, "Y", 1, "0:0:0", "23:59:59", "0,1,2,3,4,5,6"}; }

struct SectionCase {
  const char* name;
  DeviceSection section;
  LocalTime now;
  const char* failure;  // nullptr: monitoring allowed
};

TEST(MonitoringWindow, FirstFailingRuleInKeyOrderIsLogged) {
  auto with = [](auto change) {
    DeviceSection s = OpenAllDay();
    change(s);
    return s;
  };
  const std::vector<SectionCase> cases = {
      {"open all day", OpenAllDay(), At(12, 0, 0), nullptr},
      {"local in lower case", with([](DeviceSection& s) { s.localMachine = "local"; }), At(12, 0, 0),
       nullptr},
      {"y in lower case", with([](DeviceSection& s) { s.localMachine = "y"; }), At(12, 0, 0), nullptr},
      {"no section at all", DeviceSection{}, At(12, 0, 0), "Type is not matched in DeviceList.Ini"},
      {"type 2 before anything else", with([](DeviceSection& s) { s = {2, "N", 0, "", "", ""}; }),
       At(12, 0, 0), "Type is not matched in DeviceList.Ini"},
      {"localmachine N", with([](DeviceSection& s) { s.localMachine = "N"; }), At(12, 0, 0),
       "LocalMachine is not matched in DeviceList.Ini"},
      {"localmachine with blank", with([](DeviceSection& s) { s.localMachine = "Y "; }), At(12, 0, 0),
       "LocalMachine is not matched in DeviceList.Ini"},
      {"disabled", with([](DeviceSection& s) { s.enable = 0; }), At(12, 0, 0),
       "Enable is not matched in DeviceList.Ini"},
      {"before the window", with([](DeviceSection& s) { s.fromTime = "08:00:00"; }), At(7, 59, 59),
       "FromTime is not matched in DeviceList.Ini"},
      {"after the window", with([](DeviceSection& s) { s.toTime = "18:00:00"; }), At(18, 0, 1),
       "ToTime is not matched in DeviceList.Ini"},
      {"absent totime", with([](DeviceSection& s) { s.toTime = ""; }), At(0, 0, 1),
       "ToTime is not matched in DeviceList.Ini"},
      {"weekdays only on a Sunday", with([](DeviceSection& s) { s.daysToMonitor = "1,2,3,4,5"; }),
       At(12, 0, 0, 0), "DaysToMonitor is not matched in DeviceList.Ini"},
      {"empty day item on a Saturday", with([](DeviceSection& s) { s.daysToMonitor = "0,,6"; }),
       At(12, 0, 0, 6), nullptr},
  };
  for (const auto& c : cases) {
    FakeRunContext ctx;
    ctx.clock = c.now;
    EXPECT_EQ(SectionAllowsMonitoring(ctx, c.section), c.failure == nullptr) << c.name;
    if (c.failure == nullptr) {
      EXPECT_TRUE(ctx.lines.empty()) << c.name;
    } else {
      EXPECT_EQ(ctx.lines, (std::vector<LoggedLine>{{"CheckPreConditions", "Info", c.failure, "", ""}}))
          << c.name;
    }
    EXPECT_TRUE(ctx.statuses.empty()) << c.name;
  }
}

TEST(MonitoringWindow, MissingDeviceListReportsLogsCleansUpAndEndsWithZero) {
  FakeRunContext ctx;
  int exitCode = -1;
  try {
    StopForMissingDeviceList(ctx);
  } catch (const RunEnded& ended) {
    exitCode = ended.exitCode;
  }
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(ctx.statuses, std::vector<std::string>{"DeviceList.ini File Not Found"});
  EXPECT_EQ(
      ctx.lines,
      (std::vector<LoggedLine>{{"CheckPreConditions", "Info", "DeviceList.Ini File Not Found", "", ""}}));
  EXPECT_EQ(ctx.cleanups, 1);
}

}  // namespace
}  // namespace velkor
