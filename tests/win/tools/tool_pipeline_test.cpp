// Each fake tool run through the loaded parser library, its report searched
// for the tool's keywords, and every phrase logged to the daily result log.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "classify/keywords.h"
#include "classify/repadmin.h"
#include "fake_tools.h"
#include "platform/phrase_list.h"
#include "report/daily_result_log.h"
#include "support/fake_run_context.h"
#include "support/test_files.h"
#include "tools/tool_kinds.h"
#include "tools/tool_runner.h"

namespace velkor {
namespace {

class ToolPipeline : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tools.Loaded());
    ctx.InstallationPath = tools.Root();
    ctx.DatabaseName = "monitor.mdb";
  }

  void UseScenario(const std::string& scenario) {
    tools.UseScenario(scenario);
    SetDailyResultLogPath(ctx);
  }

  // Runs `kind` and searches its report for its keywords: the keywords found.
  std::vector<std::string> Found(int kind, const std::string& parameters = "") {
    const std::string command = PrepareToolRun(ctx, kind);
    std::string errorText;
    EXPECT_NE(ExecuteExe(ctx, tools.Parser(), command, parameters, kind, errorText), 0) << command;
    PhraseList keywords;
    GetKeyWords(ctx, kind, keywords);
    platform::Variant phrases, hits;
    platform::StorePhraseList(keywords, phrases);
    EXPECT_NE(ParseFromFile(ctx, tools.Parser(), phrases, hits, errorText), 0) << command;
    const auto hitTexts = platform::ReadPhraseList(hits);
    EXPECT_EQ(hitTexts.size(), keywords.size());
    std::vector<std::string> found;
    for (std::size_t i = 0; i < keywords.size() && i < hitTexts.size(); ++i) {
      const bool hit = hitTexts[i] == std::optional<std::string>("1");
      if (hit) found.push_back(keywords[i]);
      AppendDailyResult(ctx, command, keywords[i], hit ? 1 : 0);
    }
    return found;
  }
  int ReplicationVerdict() {
    PrepareToolRun(ctx, RepAdmin);
    std::string errorText, buffer;
    EXPECT_NE(ExecuteExe(ctx, tools.Parser(), "repadmin", " /showreps", RepAdmin, errorText), 0);
    return ParseRepadminFile(ctx, buffer);
  }
  std::string DailyLog() const { return testing::ReadWholeFile(ctx.DailyResultLogPath); }

  testing::FakeTools tools{"C:\\velkor-pipeline\\"};
  testing::FakeRunContext ctx;
};

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST_F(ToolPipeline, HealthyControllerShowsItsSharesAndPoliciesAndNoFailures) {
  UseScenario("healthy");
  EXPECT_THAT(Found(NetShare, " share"), ElementsAre("Netlogon", "Sysvol"));
  EXPECT_THAT(Found(DcDiag), IsEmpty());
  EXPECT_THAT(Found(NetDiag), IsEmpty());
  EXPECT_THAT(Found(GpoDomainPolicy, " /gpo:{31B2F340-016D-11D2-945F-00C04FB984F9}"),
              ElementsAre("Policy OK"));
  EXPECT_THAT(Found(GpoDomainControllerPolicy, "  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}"),
              ElementsAre("Policy OK"));
  EXPECT_EQ(ReplicationVerdict(), 0);
  const std::string log = DailyLog();
  EXPECT_EQ(log.rfind("#Fields:\tDATE TIME\tFunction Name\tKEYWORD\tSTATUS\r\n", 0), 0u);
  EXPECT_THAT(log, HasSubstr("\tnet\tNetlogon\t1\r\n"));
  EXPECT_THAT(log, HasSubstr("\tgpotool.exe\tPolicy OK\t1\r\n"));
}

TEST_F(ToolPipeline, FailingControllersShowTheirFailurePhrases) {
  UseScenario("dns_failures");
  EXPECT_THAT(Found(DcDiag), ::testing::Not(IsEmpty()));
  UseScenario("sysvol_missing");
  EXPECT_THAT(Found(NetShare, " share"), IsEmpty());
  EXPECT_THAT(DailyLog(), HasSubstr("\tnet\tNetlogon\t0\r\n"));
  UseScenario("replication_failures");
  EXPECT_EQ(ReplicationVerdict(), 1);
}

}  // namespace
}  // namespace velkor
