// The host checks' decisions: the operating system version, the support
// tools and the monitoring window of DeviceList.ini.
#include <gtest/gtest.h>

#include <string>

#include "hostchecks/host_role.h"
#include "hostchecks/monitoring_window.h"
#include "hostchecks/os_version.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;

// Compared exactly; the 6 series from 6.1 to 6.3 is recorded as "6.0".
TEST(OSVersion, OnlyExactSupportedVersionsPass) {
  const struct {
    const char *read, *recorded;
    bool supported;
  } cases[] = {{"6.0", "6.0", true},    {"6.2", "6.0", true},    {"6.3", "6.0", true}, {"6.4", "6.4", false},
               {"6.10", "6.10", false}, {" 5.2", " 5.2", false}, {"", "", false}};
  for (const auto& c : cases) {
    std::string version = c.read;
    EXPECT_EQ(NormaliseOSVersion(version), c.supported) << '"' << c.read << '"';
    EXPECT_EQ(version, c.recorded);
  }
}

// Version 6.0 (as 6.0 to 6.3 are recorded) has the support tools built in: nothing
// is searched. The end-to-end gates search before 6.0, by name, then by the installer's key.
TEST(HostRole, SupportToolsAreBuiltInFrom60) {
  FakeRunContext ctx;
  const auto search = [] {
    ADD_FAILURE() << "searched for the support tools";
    return false;
  };
  EXPECT_EQ(DecideSupportTools(ctx, "6.0", search, search), 1);
}

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
    EXPECT_EQ(ctx.Logged(), c.failing.empty() ? ""
                                              : "CheckPreConditions|Info|" + c.failing +
                                                    " is not matched in DeviceList.Ini||\n");
  }
}

// The fuzz target checks "%d:%d:%d" against sscanf where no number overflows; those
// beyond an int saturate (MNTIME's "%d/%d/%d" is read by the same code).
TEST(MonitoringWindow, TimeOfDayNumbersSaturate) {
  EXPECT_EQ(ParseTimeOfDay("99999999999:0:0"), 2147483647LL * 3600);
  EXPECT_EQ(ParseTimeOfDay("0:0:-99999999999"), -2147483648LL);
}

}  // namespace
}  // namespace velkor
