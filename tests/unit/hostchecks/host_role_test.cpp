#include "hostchecks/host_role.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

TEST(HostRole, DomainControllerNeedsTheServiceKeyAndTheDatabaseFile) {
  struct Case {
    bool keyOpened, fileExists;
    int result;
    LoggedLine line;
    int fileLookups;
  };
  const std::vector<Case> cases = {
      {true, true, 1, {"IsDomainController", "Success", "RegOpenKeyEx Success", " ", " "}, 1},
      {true, false, 0, {"IsDomainController", "Success", "RegOpenKeyEx Success", " ", " "}, 1},
      {false, true, 0, {"IsDomainController", "ERROR", "RegOpenKeyEx Failed", " ", " "}, 0},
  };
  for (const auto& c : cases) {
    FakeRunContext ctx;
    int lookups = 0;
    EXPECT_EQ(DecideDomainController(ctx, c.keyOpened, [&] { return ++lookups, c.fileExists; }), c.result);
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>{c.line});
    EXPECT_EQ(lookups, c.fileLookups);
  }
}

TEST(HostRole, SupportToolsAreTakenForGrantedOnSixZeroWithoutLookupOrLine) {
  FakeRunContext ctx;
  ctx.OSVersion = "6.0";
  int lookups = 0;
  auto probe = [&] { return ++lookups, false; };
  EXPECT_EQ(DecideSupportTools(ctx, probe, probe), 1);
  EXPECT_EQ(lookups, 0);
  EXPECT_TRUE(ctx.lines.empty());
}

TEST(HostRole, SupportToolsSearchTheUninstallListBeforeTheProductKey) {
  struct Case {
    bool inUninstall, productKey;
    int result;
    const char* message;
    int productKeyLookups;
  };
  const std::vector<Case> cases = {
      {true, true, 1, "Support tools found in unInstaller check", 0},
      {false, true, 1, "Support tools found in Installer check", 1},
      {false, false, 0, "No Support tools found", 1},
  };
  for (const auto& c : cases) {
    FakeRunContext ctx;
    ctx.OSVersion = "5.2";
    int productKeyLookups = 0;
    EXPECT_EQ(DecideSupportTools(
                  ctx, [&] { return c.inUninstall; }, [&] { return ++productKeyLookups, c.productKey; }),
              c.result);
    EXPECT_EQ(productKeyLookups, c.productKeyLookups);
    EXPECT_EQ(ctx.lines, (std::vector<LoggedLine>{{"CheckForSupportTools", "Info", c.message, "", ""}}));
  }
}

}  // namespace
}  // namespace velkor
