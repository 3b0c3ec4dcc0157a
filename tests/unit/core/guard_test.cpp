#include "core/guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

// The exit code of the run `body` ends, -1 when it does not end it.
template <class Body>
int EndOf(Body&& body) {
  try {
    body();
  } catch (const RunEnded& ended) {
    return ended.exitCode;
  }
  return -1;
}

TEST(Guard, EachPolicyIsCarriedOutAndTheRunEndsWithZero) {
  const std::pair<HandlerPolicy, const char*> cases[] = {
      {StandardHandler("WinMain"), "system text 1460"},
      {{"GetKeyWordsToSearch", "Info", "Exception occured while reading the data", ErrorDetail::None, true,
        false, false},
       ""},
      {{"DayUpdate", "EXCEPTION", " Error Occured While Processing Data", ErrorDetail::DecimalCode, true,
        false, true},
       "1460"},
  };
  for (const auto& [policy, detail] : cases) {
    SCOPED_TRACE(policy.module);
    FakeRunContext ctx;
    ctx.lastError = 1460;
    EXPECT_EQ(EndOf([&] { Guarded(ctx, policy, []() -> int { throw std::runtime_error("boom"); }); }), 0);
    const LoggedLine line{std::string(policy.module), std::string(policy.type), std::string(policy.message),
                          detail, ""};
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>{line});
    EXPECT_EQ(ctx.statuses.size(), policy.reportStatus ? 1u : 0u);
    EXPECT_EQ(ctx.cleanups, policy.cleanup ? 1 : 0);
  }
}

TEST(Guard, AnInnerEndOfRunPassesThroughOuterHandlers) {
  FakeRunContext ctx;
  EXPECT_EQ(Guarded(ctx, StandardHandler("X"), [] { return 7; }), 7);
  EXPECT_EQ(EndOf([&] {
              Guarded(ctx, StandardHandler("WinMain"),
                      [&] { Guarded(ctx, HandlerWithoutStatus("CmdExecute"), [] { throw 42; }); });
            }),
            0);
  ASSERT_EQ(ctx.lines.size(), 1u);
  EXPECT_EQ(ctx.lines[0].module, "CmdExecute");
  EXPECT_TRUE(ctx.statuses.empty());
}

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
  const std::vector<std::string> status{"Exception occured in WinMain while processing the data"};
  FakeRunContext ctx;
  ctx.lastError = 998;
  {
    const LastChanceHandling lastChance(ctx, StandardHandler("WinMain"));
    HandleFaultOutsideHandlers();
  }
  EXPECT_EQ(ctx.lines,
            (std::vector<LoggedLine>{{"WinMain", "ERROR", "Exception Occured ", "system text 998", ""}}));
  EXPECT_EQ(ctx.statuses, status);
  EXPECT_EQ(ctx.cleanups, 1);
  HandleFaultOutsideHandlers();  // the run is no longer registered
  EXPECT_EQ(ctx.lines.size(), 1u);

  FailingLogRun failing;
  const LastChanceHandling lastChance(failing, StandardHandler("WinMain"));
  HandleFaultOutsideHandlers();  // must not throw: it runs where no handler can catch
  EXPECT_EQ(failing.cleanups, 1);
  EXPECT_EQ(failing.statuses, status);  // reported before the line: the fault may have been the logger's
}

}  // namespace
}  // namespace velkor
