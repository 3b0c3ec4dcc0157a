#include "core/guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

TEST(Guard, EachPolicyIsCarriedOutAndTheRunEndsWithZero) {
  struct Case {
    HandlerPolicy policy;
    LoggedLine line;
    std::vector<std::string> statuses;
    int cleanups;
  } cases[] = {
      {StandardHandler("CheckDependecy"),
       {"CheckDependecy", "ERROR", "Exception Occured ", "system text 1460", ""},
       {"Exception occured in CheckDependecy while processing the data"},
       1},
      {{"GetKeyWordsToSearch", "Info", "Exception occured while reading the data", ErrorDetail::None, true,
        false, false},
       {"GetKeyWordsToSearch", "Info", "Exception occured while reading the data", "", ""},
       {},
       0},
      {{"DayUpdate", "EXCEPTION", " Error Occured While Processing Data", ErrorDetail::DecimalCode, true,
        false, true},
       {"DayUpdate", "EXCEPTION", " Error Occured While Processing Data", "1460", ""},
       {},
       1},
  };
  for (const Case& c : cases) {
    FakeRunContext ctx;
    ctx.lastError = 1460;
    int code = -1;
    try {
      Guarded(ctx, c.policy, []() -> int { throw std::runtime_error("boom"); });
    } catch (const RunEnded& ended) {
      code = ended.exitCode;
    }
    EXPECT_EQ(code, 0) << c.policy.module;
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>{c.line});
    EXPECT_EQ(ctx.statuses, c.statuses) << c.policy.module;
    EXPECT_EQ(ctx.cleanups, c.cleanups) << c.policy.module;
  }
}

TEST(Guard, AnInnerEndOfRunPassesThroughOuterHandlers) {
  FakeRunContext ctx;
  EXPECT_EQ(Guarded(ctx, StandardHandler("X"), [] { return 7; }), 7);
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

}  // namespace
}  // namespace velkor

namespace velkor {
namespace {

using testing::FakeRunContext;

// A run whose activity log fails: the log's own handler ends the run.
class FailingLogRun : public FakeRunContext {
 public:
  void LogActivity(std::string_view, std::string_view, std::string_view, std::string_view,
                   std::string_view) override {
    ++cleanups;
    EndRun(0);
  }
};

TEST(Guard, AFaultOutsideEveryHandlerGetsTheRegisteredRunsPolicyWithoutThrowing) {
  FakeRunContext ctx;
  ctx.lastError = 998;
  {
    const LastChanceHandling lastChance(ctx, StandardHandler("WinMain"));
    HandleFaultOutsideHandlers();
  }
  EXPECT_EQ(
      ctx.lines,
      (std::vector<testing::LoggedLine>{{"WinMain", "ERROR", "Exception Occured ", "system text 998", ""}}));
  EXPECT_EQ(ctx.statuses, std::vector<std::string>{"Exception occured in WinMain while processing the data"});
  EXPECT_EQ(ctx.cleanups, 1);

  HandleFaultOutsideHandlers();  // the run is no longer registered
  EXPECT_EQ(ctx.lines.size(), 1u);

  FailingLogRun failing;
  const LastChanceHandling lastChance(failing, StandardHandler("WinMain"));
  HandleFaultOutsideHandlers();  // must not throw: it runs where no handler can catch
  EXPECT_EQ(failing.cleanups, 1);
  // Reported before the line: the fault may have been the logger's.
  EXPECT_EQ(failing.statuses,
            std::vector<std::string>{"Exception occured in WinMain while processing the data"});
}

}  // namespace
}  // namespace velkor
