#include "hostchecks/host_role.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

// On "6.0" the tools are taken for granted without a line; otherwise the
// uninstall list decides, then the installer product key.
TEST(HostRole, SupportToolsSearchTheUninstallListBeforeTheProductKey) {
  const struct {
    const char* version;
    bool inUninstall, productKey;
    int result;
    const char* message;  // "": no line
  } cases[] = {
      {"6.0", false, false, 1, ""},
      {"5.2", true, false, 1, "Support tools found in unInstaller check"},
      {"5.2", false, true, 1, "Support tools found in Installer check"},
      {"5.0", false, false, 0, "No Support tools found"},
  };
  for (const auto& c : cases) {
    FakeRunContext ctx;
    ctx.OSVersion = c.version;
    EXPECT_EQ(DecideSupportTools(
                  ctx, [&] { return c.inUninstall; }, [&] { return c.productKey; }),
              c.result);
    EXPECT_EQ(
        ctx.lines,
        (*c.message == '\0' ? std::vector<LoggedLine>{}
                            : std::vector<LoggedLine>{{"CheckForSupportTools", "Info", c.message, "", ""}}));
  }
}

}  // namespace
}  // namespace velkor
