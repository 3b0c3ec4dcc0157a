// The host role checks: the operating system version and the support tools.
#include "hostchecks/host_role.h"

#include <gtest/gtest.h>

#include <string>

#include "hostchecks/os_version.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

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

// Version 6.0 (as every version from 6.0 to 6.3 is recorded) has the support
// tools built in; before it the installed programs are searched, then the
// installer's product key.
TEST(HostRole, SupportToolsAreSearchedForOnlyBefore60) {
  const struct {
    const char* version;
    bool inUninstall, productKey;
    int found;
    const char* searched;
  } cases[] = {{"6.0", false, false, 1, ""},
               {"5.2", true, false, 1, "u"},
               {"5.2", false, true, 1, "up"},
               {"5.2", false, false, 0, "up"}};
  for (const auto& c : cases) {
    testing::FakeRunContext ctx;
    std::string searched;
    const auto search = [&](char what, bool found) {
      return [&searched, what, found] {
        searched += what;
        return found;
      };
    };
    EXPECT_EQ(DecideSupportTools(ctx, c.version, search('u', c.inUninstall), search('p', c.productKey)),
              c.found);
    EXPECT_EQ(searched, c.searched) << c.version << c.inUninstall << c.productKey;
  }
}

}  // namespace
}  // namespace velkor
