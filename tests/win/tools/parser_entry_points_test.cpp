// The tools' calls through the parser library's entry points, with recording
// stand-ins: the tool runner's attempts, its search, and the PDC role.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "classify/tool_descriptors.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "support/system_run_context.h"
#include "support/test_files.h"
#include "tools/pdc_role.h"
#include "tools/tool_runner.h"
#include "tools/tool_start.h"

namespace velkor {
namespace {

using ::testing::ElementsAre;

// The commands the stand-in for str_nexexecute saw (its other arguments reach the real library
// in every end-to-end run). It succeeds on call `succeedOnCall` (1-based; 0 never), leaving
// `report` as the output file (none when empty), else fails with "2".
struct Recorder {
  std::vector<std::string> commands;
  int succeedOnCall = 0;
  std::string report;
} recorder;

int Fail(VARIANT* result) {
  platform::Variant failure{std::string_view("2")};
  VariantCopy(result, failure.get());
  return 0;
}

int WINAPI RecordingExecute(VARIANT* command, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                            VARIANT* output, VARIANT*, VARIANT* result) {
  recorder.commands.push_back(platform::BstrToAnsi(command->bstrVal));
  if (static_cast<int>(recorder.commands.size()) != recorder.succeedOnCall) return Fail(result);
  const std::string report = platform::BstrToAnsi(output->bstrVal);
  std::filesystem::remove(report);
  if (!recorder.report.empty()) testing::WriteWholeFile(report, recorder.report);
  VariantClear(result);
  return 7;
}

int WINAPI FailingParse(VARIANT*, VARIANT*, VARIANT*, VARIANT* result) { return Fail(result); }

class ToolCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root + "nexagent\\Config");
    ctx.InstallationPath = root;
  }
  void TearDown() override {
    std::filesystem::remove_all(root);
    std::filesystem::remove(supportTools);  // the end-to-end runs in this prefix expect none
  }
  void Prepare(const char* section, const std::string& value, int succeedOnCall,
               const std::string& report = "") {
    platform::IniWrite(root + "nexagent\\Config\\OrvaVardata.ini", section, "VALUE", value);
    recorder = {{}, succeedOnCall, report};
    ctx.lines.clear();
    ctx.statuses.clear();
  }

  const std::string root = "C:\\velkor-tools-test\\";
  const std::string supportTools = platform::ExpandEnvironment("%ProgramFiles%") + "\\Support Tools";
  testing::SystemRunContext ctx;
  ParserEntryPoints parser{RecordingExecute, FailingParse};
  std::string errorText;
};

// A tool is tried bare, then in the short form of its standard folder (the Resource
// Kit's has none here), then in the folder the agent's settings name, until one
// succeeds. Only a first attempt's success and the last failure are logged.
TEST_F(ToolCalls, AttemptsTheBareToolThenItsStandardThenItsConfiguredFolder) {
  std::filesystem::create_directories(supportTools);
  const std::string support = platform::ShortPathName(supportTools + "\\");
  ASSERT_FALSE(support.empty());
  Prepare("RESOURCETOOLKITS", "D:\\reskit", 0);
  // Not beside the program, net is the system's own: the 32-bit build on a
  // 64-bit Windows starts it from the native system folder.
  const std::string net = sizeof(void*) == 4 ? platform::WindowsDirectory() + "\\Sysnative\\net.exe" : "net";
  const struct {
    int kind;
    const char* configured;  // SUPPORTTOOLS
    int succeedOnCall;
    std::vector<std::string> commands;
  } cases[] = {
      {NetShare, "D:\\tools", 0, {net}},  // no standard folder
      {RepAdmin, "", 0, {"repadmin", support + "repadmin"}},
      {DcDiag, "D:\\tools", 1, {"dcdiag.exe"}},
      {DcDiag, "D:\\tools", 3, {"dcdiag.exe", support + "dcdiag.exe", "D:\\tools\\dcdiag.exe"}},
      {GpoDomainPolicy, "D:\\tools", 0, {"gpotool.exe", "gpotool.exe", "D:\\reskit\\gpotool.exe"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commands.back());
    Prepare("SUPPORTTOOLS", c.configured, c.succeedOnCall);
    errorText = "before";
    const std::string command = PrepareToolRun(ctx, c.kind);
    EXPECT_EQ(LibraryCalls(ctx, parser).Execute(command, " /v", c.kind, errorText), c.succeedOnCall ? 7 : 0);
    EXPECT_EQ(recorder.commands, c.commands);
    const std::string logged[] = {
        "ExecuteExe|ERROR|lpNexExecute  Failed|lpNexExecute failed with error code 2 File name is " +
            command + "|\n",
        "ExecuteExe|INFO|lpNexExecute  Success|lpNexExecute Success with error code before Command is "
        "dcdiag.exe Parameter  /v|\n",
        ""};
    EXPECT_EQ(ctx.Logged(), logged[c.succeedOnCall > 1 ? 2 : c.succeedOnCall]);
    EXPECT_EQ(ctx.statuses,
              std::vector<std::string>(c.succeedOnCall == 0, command + " failed with Errorcode=2"));
  }
}

// (Phrases and hits themselves travel in every end-to-end run: they decide its results.)
TEST_F(ToolCalls, FailedSearchIsReportedWithTheLibrarysErrorText) {
  SearchHits found;
  EXPECT_EQ(LibraryCalls(ctx, parser).Search({"x"}, found, errorText), 0);
  EXPECT_EQ(errorText, "2");
  EXPECT_THAT(ctx.statuses, ElementsAre("lpNexParseFile failed with errorcode=2"));
}

// The agent's list of role holders decides alone when it has a value (netdom
// would log its run); without one, a netdom that fails or leaves no report
// leaves the role unheld.
TEST_F(ToolCalls, PdcRoleFromTheAgentsListElseFromNetDomsReport) {
  const std::string pdc = "CheckForPDCRole|INFO|", netdom = "ExecuteNetDomEXE|";
  const struct {
    const char* roleHolders;
    const char* report;  // netdom's: none when it fails, "" when it leaves none
    int held;
    std::string lines;
  } cases[] = {
      {"dc02,Dc1", "PDC  dc1", 1, pdc + "PDC Role Find in ini file value and Hostname|DC02,DC1|DC1\n"},
      {"DC02,DC03", "PDC  dc1", 0, pdc + "PDC Role value not found in ini file||\n"},
      {"", nullptr, 0,
       netdom +
           "ERROR|lpNexExecute  Failed|lpNexExecute failed with error code 2 File name is Netdom query "
           "fsmo|\n" +
           pdc + "Execution of netdom query fsmo failed ||\n"},
      {"", "", 0,
       netdom +
           "INFO|lpNexExecute  Success|lpNexExecute Success with error code  Command is Netdom query fsmo " +
           "Parameter NULL Status Success|\nCheckForPDCRole|ERROR|opening the file failed with errorcode "
           "|2|\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    Prepare("PDC ROLE", c.roleHolders, c.report ? 1 : 0, c.report ? c.report : "");
    ctx.HostName = "dc1";
    EXPECT_EQ(CheckForPDCRole(ctx, parser), c.held);
    EXPECT_EQ(ctx.Logged(), c.lines);
  }
}

}  // namespace
}  // namespace velkor
