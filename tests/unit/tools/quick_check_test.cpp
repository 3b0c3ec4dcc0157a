// The quick run of one database, natively: what it submits for each recorded
// connectivity scenario, and what a tool that cannot run or an unrecognised
// report leaves out.
#include "tools/quick_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "support/fake_run_context.h"
#include "support/replayed_tools.h"

namespace velkor {
namespace {

TEST(QuickCheck, SubmitsTheOutcomeOfEachRecordedScenario) {
  // Scenario, a tool that cannot be started, "FunctionID=Status/ErrorCode" in the order submitted.
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"healthy", "", "1001=0/0 3001=1/0 1003=0/0 3003=1/0"},
      // Neither share; the test failed without the detail phrase.
      {"connectivity_unresolved", "", "1001=1/0 3001=0/0 3003=0/0 0=0/0 1003=1/0"},
      // The verdict wrapped at the console width.
      {"wrapped_verdicts", "", "1001=0/0 3001=1/0 3003=0/0 0=0/0 1003=1/0"},
      // The German connectivity test is not recognised: nothing for it.
      {"localized", "", "1001=0/0 3001=1/0"},
      // A tool that cannot run (net) submits nothing, and its error goes with no other tool's
      // results; the identity phrase: its detail under function ID 0.
      {"connectivity_identity", "net", "3003=0/0 0=1/0 1003=0/0"},
  };
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "velkor_quick_check";
  for (const auto& [scenario, failingTool, expected] : cases) {
    SCOPED_TRACE(scenario + " " + failingTool);
    std::filesystem::remove_all(root);
    testing::FakeRunContext ctx;
    ctx.InstallationPath = root.string() + "/";
    testing::ReplayedTools tools(ctx);
    tools.scenario = scenario;
    if (!failingTool.empty()) tools.failing[failingTool] = "223";
    std::string submitted;
    std::set<int> reported;
    CheckDatabaseQuickly(
        ctx, tools,
        [&](const std::string& id, const std::string& status, const std::string& code) {
          submitted += (submitted.empty() ? "" : " ") + id + "=" + status + "/" + code;
        },
        2, reported);
    EXPECT_EQ(submitted, expected);
    EXPECT_EQ(ctx.statuses, scenario == "localized"
                                ? std::vector<std::string>{"DcDiag.exe report not recognised (Errorcode=13)"}
                                : std::vector<std::string>{});
  }
  std::filesystem::remove_all(root);
}

TEST(QuickCheck, RotationRunsOneToThreeAndStartsAgainOutsideZeroToTwo) {
  for (const auto& [stored, next] : {std::pair{0, 1}, {1, 2}, {2, 3}, {3, 1}, {5, 1}, {-1, 1}})
    EXPECT_EQ(NextRotation(stored), next) << stored;
}

}  // namespace
}  // namespace velkor
