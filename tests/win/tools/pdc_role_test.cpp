// Whether this host holds the PDC role: the agent's list of role holders in a
// real INI file, or the recorded netdom reports through the loaded parser
// library and the fake netdom.
#include "tools/pdc_role.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "fake_tools.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "support/system_run_context.h"

namespace velkor {
namespace {

using ::testing::ElementsAre;
using testing::LoggedLine;

constexpr char kModule[] = "CheckForPDCRole";
const LoggedLine kNetDomRan{
    "ExecuteNetDomEXE", "INFO", "lpNexExecute  Success",
    "lpNexExecute Success with error code  Command is Netdom query fsmo Parameter NULL "
    "Status Success",
    ""};

class PdcRole : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tools.Loaded());
    std::filesystem::create_directories(tools.Root() + "nexagent\\Config");
    ctx.InstallationPath = tools.Root();
  }

  // Decides with `hostName` as this host's name; the fake netdom names the
  // host "DC1" where a report says "@HOST@".
  int Decide(const std::string& hostName, const ParserEntryPoints& parser) {
    ctx.HostName = hostName;
    ctx.lines.clear();
    ctx.traces.clear();
    return CheckForPDCRole(ctx, parser);
  }
  int Decide(const std::string& hostName) { return Decide(hostName, tools.Parser()); }
  void SetRoleHolders(const std::string& value) {
    platform::IniWrite(tools.Root() + "nexagent\\Config\\OrvaVardata.ini", "PDC ROLE", "VALUE", value);
  }
  std::string NetDomOutput() const { return tools.Root() + "Nexagent\\NetDom.txt"; }

  testing::FakeTools tools{"C:\\velkor-pdc\\"};
  testing::SystemRunContext ctx;
};

// The agent's list decides alone when it has a value; netdom is not run,
// although its report would name this host.
TEST_F(PdcRole, RoleHoldersListNamesThisHostAsAWholeName) {
  tools.UseScenario("healthy", "DC1");
  const struct {
    std::string value;
    int expected;
  } cases[] = {{"dc02,Dc1,DC03", 1}, {"corp\\dc1", 1}, {"DC10,MYDC1,DC1-A", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    SetRoleHolders(c.value);
    EXPECT_EQ(Decide("dc1"), c.expected);
    EXPECT_EQ(ctx.HostName, "DC1");
    if (c.expected == 1) {
      std::string upper = c.value;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      EXPECT_THAT(ctx.lines,
                  ElementsAre(LoggedLine{kModule, "INFO", "PDC Role Find in ini file value and Hostname",
                                         upper, "DC1"}));
      EXPECT_THAT(ctx.traces, ElementsAre("PDCRoleStatus=1"));
    } else {
      EXPECT_THAT(ctx.lines,
                  ElementsAre(LoggedLine{kModule, "INFO", "PDC Role value not found in ini file", "", ""}));
      EXPECT_THAT(ctx.traces, ElementsAre("PDCRoleStatus=0"));
    }
  }
  EXPECT_FALSE(platform::FileExists(NetDomOutput()));
}

// Without a list, the report's PDC line decides, in each shape netdom prints it.
TEST_F(PdcRole, NetDomReportNamesTheHolderInEveryShape) {
  const struct {
    const char* scenario;
    const char* holder;  // the holder's text as logged; nullptr when this host is not named
  } cases[] = {
      {"healthy", "DC1.CORP.EXAMPLE.COM"},
      {"pdc_tabs", "PDC\tDC1.CORP.EXAMPLE.COM"},
      {"pdc_dash_leaders", "DC1.CORP.EXAMPLE.COM"},
      {"pdc_padded_lines", "DC1.CORP.EXAMPLE.COM"},
      {"pdc_localized", "DC1.CORP.EXAMPLE.COM"},
      {"not_pdc", nullptr},
      {"pdc_longer_name", nullptr},  // DC10 holds it
  };
  SetRoleHolders("");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    tools.UseScenario(c.scenario, "DC1");
    const int expected = c.holder != nullptr ? 1 : 0;
    EXPECT_EQ(Decide("Dc1"), expected);
    const LoggedLine decision =
        expected == 1
            ? LoggedLine{kModule, "INFO", "PDC Role Find in the netdom query fsmo", c.holder, "DC1"}
            : LoggedLine{kModule, "INFO", "PDC Role not Find in the netdom query fsmo file ", "", ""};
    EXPECT_THAT(ctx.lines, ElementsAre(kNetDomRan, decision));
  }
}

TEST_F(PdcRole, EveryFailureLeavesTheRoleUnheld) {
  tools.UseScenario("healthy", "DC1");
  tools.Remove("netdom");
  EXPECT_EQ(Decide("DC1"), 0);
  EXPECT_THAT(
      ctx.lines,
      ElementsAre(LoggedLine{"ExecuteNetDomEXE", "ERROR", "lpNexExecute  Failed",
                             "lpNexExecute failed with error code 2 File name is Netdom query fsmo", ""},
                  LoggedLine{kModule, "INFO", "Execution of netdom query fsmo failed ", "", ""}));
  EXPECT_THAT(ctx.traces, ElementsAre("netdom query execute failed", "PDCRoleStatus=0"));

  // netdom reports success but leaves no report to read.
  std::filesystem::remove(NetDomOutput());
  EXPECT_EQ(Decide("DC1", {testing::SilentExecute, nullptr}), 0);
  EXPECT_THAT(ctx.lines,
              ElementsAre(kNetDomRan,
                          LoggedLine{kModule, "ERROR", "opening the file failed with errorcode ", "2", ""}));
}

}  // namespace
}  // namespace velkor
