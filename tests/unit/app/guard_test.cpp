#include "app/guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

int ExitCodeOf(FakeRunContext& ctx, const HandlerPolicy& policy) {
  try {
    Guarded(ctx, policy, []() -> int { throw std::runtime_error("boom"); });
  } catch (const RunEnded& ended) {
    return ended.exitCode;
  }
  return -1;
}

TEST(Guard, StandardHandlerLogsReportsCleansUpAndEndsWithZero) {
  FakeRunContext ctx;
  ctx.lastError = 5;
  EXPECT_EQ(ExitCodeOf(ctx, StandardHandler("CheckDependecy")), 0);
  ASSERT_EQ(ctx.lines.size(), 1u);
  EXPECT_EQ(ctx.lines[0], (LoggedLine{"CheckDependecy", "ERROR", "Exception Occured ", "system text 5", ""}));
  EXPECT_EQ(ctx.statuses,
            std::vector<std::string>{"Exception occured in CheckDependecy while processing the data"});
  EXPECT_EQ(ctx.cleanups, 1);
}

TEST(Guard, PolicyCanSkipStatusCleanupAndErrorText) {
  FakeRunContext ctx;
  HandlerPolicy policy{"GetKeyWordsToSearch",
                       "Info",
                       "Exception occured while reading the data",
                       ErrorDetail::None,
                       true,
                       false,
                       false};
  EXPECT_EQ(ExitCodeOf(ctx, policy), 0);
  EXPECT_EQ(ctx.lines[0],
            (LoggedLine{"GetKeyWordsToSearch", "Info", "Exception occured while reading the data", "", ""}));
  EXPECT_TRUE(ctx.statuses.empty());
  EXPECT_EQ(ctx.cleanups, 0);
  EXPECT_EQ(ctx.LastErrorText, "");
}

TEST(Guard, DecimalCodeGoesIntoLastErrorText) {
  FakeRunContext ctx;
  ctx.lastError = 1460;
  HandlerPolicy policy{
      "DayUpdate", "EXCEPTION", " Error Occured While Processing Data", ErrorDetail::DecimalCode, true,
      false,       true};
  ExitCodeOf(ctx, policy);
  EXPECT_EQ(ctx.LastErrorText, "1460");
  EXPECT_EQ(ctx.lines[0].detail, "1460");
}

TEST(Guard, InnerEndOfRunPassesThroughOuterHandlers) {
  FakeRunContext ctx;
  int code = -1;
  try {
    Guarded(ctx, StandardHandler("WinMain"),
            [&] { Guarded(ctx, HandlerWithoutStatus("CmdExecute"), []() { throw 42; }); });
  } catch (const RunEnded& ended) {
    code = ended.exitCode;
  }
  EXPECT_EQ(code, 0);
  ASSERT_EQ(ctx.lines.size(), 1u);
  EXPECT_EQ(ctx.lines[0].module, "CmdExecute");
  EXPECT_TRUE(ctx.statuses.empty());
}

TEST(Guard, ReturnsTheBodysValue) {
  FakeRunContext ctx;
  EXPECT_EQ(Guarded(ctx, StandardHandler("X"), [] { return 7; }), 7);
  EXPECT_TRUE(ctx.lines.empty());
}

}  // namespace
}  // namespace velkor
