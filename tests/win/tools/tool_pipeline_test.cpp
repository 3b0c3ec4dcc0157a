// Each fake tool run through the loaded parser library, its report searched
// for the tool's keywords, and every phrase logged to the daily result log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "classify/keywords.h"
#include "classify/repadmin.h"
#include "platform/library.h"
#include "platform/phrase_list.h"
#include "report/daily_result_log.h"
#include "support/fake_run_context.h"
#include "tools/tool_kinds.h"
#include "tools/tool_runner.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::Each;
using ::testing::Pair;

std::string BinFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path().string() + "\\";
}

// The source tree's scenarios, through Wine's drive Z: (the Unix root).
std::string ScenarioFolder(const std::string& scenario) {
  std::string source = std::getenv("VELKOR_SOURCE_DIR") != nullptr ? std::getenv("VELKOR_SOURCE_DIR") : "";
  for (char& c : source)
    if (c == '/') c = '\\';
  return "Z:" + source + "\\sandbox\\scenarios\\" + scenario;
}

std::string Parameters(int kind) {
  switch (kind) {
    case NetShare:
      return " share";
    case GpoDomainPolicy:
      return " /gpo:{31B2F340-016D-11D2-945F-00C04FB984F9}";
    case RepAdmin:
      return " /showreps";
    case GpoDomainControllerPolicy:
      return "  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}";
    default:
      return "";
  }
}

class ToolPipeline : public ::testing::Test {
 protected:
  void SetUp() override {
    root = "C:\\velkor-pipeline\\";
    tools = root + "Nexagent\\";
    fs::remove_all(root);
    fs::create_directories(tools);
    for (const char* tool : {"net", "dcdiag", "netdiag", "gpotool", "repadmin"})
      fs::copy_file(BinFolder() + "faketool.exe", tools + tool + ".exe");
    GetCurrentDirectoryA(MAX_PATH, previousFolder);
    SetCurrentDirectoryA(tools.c_str());  // where the agent starts Velkor
    parserLibrary = platform::LoadModule(BinFolder() + "NexParser.dll");
    ASSERT_TRUE(parserLibrary);
    parser.execute = platform::ModuleExport<NexExecuteFn>(parserLibrary, "str_nexexecute");
    parser.parseFile = platform::ModuleExport<NexParseFileFn>(parserLibrary, "arr_nexparsefile");
    ctx.InstallationPath = root;
    ctx.DatabaseName = "monitor.mdb";
    fs::create_directories(root + "nexagent\\ApplicationLog\\Velkor");
  }
  void TearDown() override { SetCurrentDirectoryA(previousFolder); }

  void UseScenario(const std::string& scenario) {
    std::ofstream(tools + "faketool.ini")
        << "[faketool]\r\nScenarioDir=" << ScenarioFolder(scenario) << "\r\n";
    SetDailyResultLogPath(ctx);
  }

  // Runs `kind` and searches its report for its keywords; keyword -> found.
  std::map<std::string, bool> RunAndSearch(int kind) {
    const std::string command = PrepareToolRun(ctx, kind);
    std::string errorText;
    EXPECT_NE(ExecuteExe(ctx, parser, command, Parameters(kind), kind, errorText), 0) << command;
    PhraseList keywords;
    GetKeyWords(ctx, kind, keywords);
    platform::Variant phrases, hits;
    platform::StorePhraseList(keywords, phrases);
    EXPECT_NE(ParseFromFile(ctx, parser, phrases, hits, errorText), 0) << command;
    const auto hitTexts = platform::ReadPhraseList(hits);
    std::map<std::string, bool> found;
    for (std::size_t i = 0; i < keywords.size() && i < hitTexts.size(); ++i) {
      found[keywords[i]] = hitTexts[i] == std::optional<std::string>("1");
      AppendDailyResult(ctx, command, keywords[i], found[keywords[i]] ? 1 : 0);
    }
    return found;
  }

  std::string DailyLog() const {
    std::ifstream in(ctx.DailyResultLogPath, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  testing::FakeRunContext ctx;
  std::string root, tools;
  char previousFolder[MAX_PATH] = {};
  platform::Module parserLibrary;
  ParserEntryPoints parser;
};

TEST_F(ToolPipeline, HealthyControllerShowsItsSharesAndPoliciesAndNoFailures) {
  UseScenario("healthy");
  EXPECT_THAT(RunAndSearch(NetShare), Each(Pair(::testing::_, true)));
  EXPECT_THAT(RunAndSearch(DcDiag), Each(Pair(::testing::_, false)));
  EXPECT_THAT(RunAndSearch(NetDiag), Each(Pair(::testing::_, false)));
  EXPECT_THAT(RunAndSearch(GpoDomainPolicy), Each(Pair("Policy OK", true)));
  EXPECT_THAT(RunAndSearch(GpoDomainControllerPolicy), Each(Pair("Policy OK", true)));
  PrepareToolRun(ctx, RepAdmin);
  std::string errorText;
  ASSERT_NE(ExecuteExe(ctx, parser, "repadmin", Parameters(RepAdmin), RepAdmin, errorText), 0);
  std::string buffer;
  EXPECT_EQ(ParseRepadminFile(ctx, buffer), 0);

  const std::string log = DailyLog();
  EXPECT_EQ(log.rfind("#Fields:\tDATE TIME\tFunction Name\tKEYWORD\tSTATUS\r\n", 0), 0u);
  EXPECT_THAT(log, ::testing::HasSubstr("\tnet\tNetlogon\t1\r\n"));
  EXPECT_THAT(log, ::testing::HasSubstr("\tnet\tSysvol\t1\r\n"));
  EXPECT_THAT(log, ::testing::HasSubstr("\tgpotool.exe\tPolicy OK\t1\r\n"));
  EXPECT_THAT(log, ::testing::HasSubstr("\tdcdiag.exe\t"));
  // The two policy checks keep their reports apart.
  EXPECT_TRUE(
      fs::exists(root + "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_GpoTool_Default_Domain_Policy.txt"));
  EXPECT_TRUE(
      fs::exists(root + "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_Default_Domain_Controller_Policy.txt"));
}

TEST_F(ToolPipeline, FailingControllersShowTheirFailurePhrases) {
  UseScenario("dns_failures");
  EXPECT_THAT(RunAndSearch(DcDiag), Contains(Pair(::testing::_, true)));
  UseScenario("sysvol_missing");
  EXPECT_THAT(RunAndSearch(NetShare), Each(Pair(::testing::_, false)));
  UseScenario("gpo_version_mismatch");
  const auto policies = RunAndSearch(GpoDomainPolicy);
  const auto controllerPolicies = RunAndSearch(GpoDomainControllerPolicy);
  EXPECT_FALSE(policies.at("Policy OK") && controllerPolicies.at("Policy OK"));
  UseScenario("replication_failures");
  PrepareToolRun(ctx, RepAdmin);
  std::string errorText, buffer;
  ASSERT_NE(ExecuteExe(ctx, parser, "repadmin", Parameters(RepAdmin), RepAdmin, errorText), 0);
  EXPECT_EQ(ParseRepadminFile(ctx, buffer), 1);
  EXPECT_THAT(DailyLog(), ::testing::HasSubstr("\tnet\tNetlogon\t0\r\n"));
}

}  // namespace
}  // namespace velkor
