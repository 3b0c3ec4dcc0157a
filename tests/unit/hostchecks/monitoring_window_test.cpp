#include "hostchecks/monitoring_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

// Rules apply in key order; time bounds are inclusive to the second and do not
// wrap past midnight, so an empty TOTIME passes only at midnight.
TEST(MonitoringWindow, FirstFailingKeyIsLogged) {
  const DeviceSection office{1, "Y", 1, "08:00:00", "18:00:00", "1,2,3,4,5"};
  const DeviceSection night{1, "local", 1, "22:00:00", "06:00:00", "1,2,3,4,5"};
  const DeviceSection weekend{1, "local", 1, "", "", "0,,6"};
  const struct {
    DeviceSection section;
    int dayOfWeek, hour, minute, second;
    std::string failing;  // "": monitoring allowed
  } cases[] = {
      // clang-format off
      {office, 3, 8, 0, 0, ""},   {office, 3, 7, 59, 59, "FromTime"},
      {office, 3, 18, 0, 0, ""},  {office, 3, 18, 0, 1, "ToTime"},
      {night, 3, 23, 0, 0, "ToTime"}, {night, 3, 3, 0, 0, "FromTime"},
      {weekend, 6, 0, 0, 0, ""},  {weekend, 6, 0, 0, 1, "ToTime"},
      {weekend, 3, 0, 0, 0, "DaysToMonitor"},  // an empty item is no day
      {{1, "Y", 1, "08:00:00", "18:00:00", " 1"}, 1, 12, 0, 0, "DaysToMonitor"},
      {{2, "N", 0, "23:00:00", "01:00:00", ""}, 3, 12, 0, 0, "Type"},
      {{1, "N", 1, "", "", ""}, 3, 0, 0, 0, "LocalMachine"}, {{1, "y", 0, "", "", ""}, 3, 0, 0, 0, "Enable"},
      // clang-format on
  };
  for (const auto& c : cases) {
    FakeRunContext ctx;
    ctx.clock = LocalTime{2014, 3, c.dayOfWeek, 5, c.hour, c.minute, c.second, 0};
    EXPECT_EQ(SectionAllowsMonitoring(ctx, c.section), c.failing.empty())
        << c.section.daysToMonitor << ' ' << c.hour << ':' << c.minute << ':' << c.second;
    const LoggedLine line{"CheckPreConditions", "Info", c.failing + " is not matched in DeviceList.Ini", "",
                          ""};
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>(c.failing.empty() ? 0 : 1, line));
  }
}

// "%d:%d:%d" as the fuzz target monitoring_window checks it, and numbers
// beyond an int, which it leaves out, saturate.
TEST(MonitoringWindow, TimeOfDayReadsAsScanfDoes) {
  EXPECT_EQ(ParseTimeOfDay("8:30"), 30600);
  EXPECT_EQ(ParseTimeOfDay("99999999999:0:0"), 2147483647LL * 3600);
  EXPECT_EQ(ParseTimeOfDay("0:0:-99999999999"), -2147483648LL);
}

}  // namespace
}  // namespace velkor
