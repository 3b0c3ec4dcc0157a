// Core: the handlers that end a run, and the readers of outside text (lines
// of a file, the search path, time stamps, numbers).
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "core/guard.h"
#include "core/line_reader.h"
#include "core/search_path.h"
#include "core/text.h"
#include "core/time_stamp.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;

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
      {StandardHandler("WinMain"), "WinMain|ERROR|Exception Occured |system text 1460|\n"},
      {{"GetKeyWordsToSearch", "Info", "Exception occured while reading the data", ErrorDetail::None, true,
        false, false},
       "GetKeyWordsToSearch|Info|Exception occured while reading the data||\n"},
      {{"DayUpdate", "EXCEPTION", " Error Occured While Processing Data", ErrorDetail::DecimalCode, true,
        false, true},
       "DayUpdate|EXCEPTION| Error Occured While Processing Data|1460|\n"},
  };
  for (const auto& [policy, logged] : cases) {
    SCOPED_TRACE(policy.module);
    FakeRunContext ctx;
    ctx.lastError = 1460;
    EXPECT_EQ(EndOf([&] { Guarded(ctx, policy, []() -> int { throw std::runtime_error("boom"); }); }), 0);
    EXPECT_EQ(ctx.Logged(), logged);
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
  EXPECT_EQ(ctx.Logged(), "CmdExecute|ERROR|Exception Occured |system text 0|\n");
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
  EXPECT_EQ(ctx.Logged(), "WinMain|ERROR|Exception Occured |system text 998|\n");
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

std::vector<std::string> Lines(const std::string& bytes, std::size_t piece) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  LineReader reader(file, piece);
  std::vector<std::string> lines;
  for (std::string line; reader.Next(line);) lines.push_back(line);
  std::fclose(file);
  return lines;
}

// As text mode reads on Windows, but a Ctrl-Z is a byte like any other.
TEST(LineReader, CrLfEndsALineAndCtrlZDoesNotEndTheFile) {
  using Lines_ = std::vector<std::string>;
  EXPECT_EQ(Lines("a\r\nb\x1a\r\nc", 100), (Lines_{"a\n", "b\x1a\n", "c"}));
  EXPECT_EQ(Lines("a\rb\r\r\n\r", 100), (Lines_{"a\rb\r\n", "\r"}));
  EXPECT_EQ(Lines("abcdef\r\ng", 3), (Lines_{"abc", "def", "\n", "g"}));
  EXPECT_EQ(Lines("", 3), Lines_{});
  EXPECT_EQ(Lines(std::string("a\0b\nc", 5), 100), (Lines_{"a", "c"}));
}

// The edges; the fuzz target search_path checks the filter on any search path.
TEST(SearchPath, KeepsOnlyFoldersGivenInFull) {
  const std::pair<const char*, const char*> cases[] = {
      {";;", ""},
      // The working folder however it is spelt, other relative folders, empty entries.
      {".;C:\\a;.\\;..\\bin;tools;;C:\\b;", "C:\\a;C:\\b"},
      // Relative to the working folder of a drive, or to the root of the current drive.
      {"C:tools;C:;\\tools;/tools;d:/x", "d:/x"},
      // Shares and quoted folders are kept as they are; a lone quote or bare slashes are not folders.
      {"\\\\srv\\share\\bin;\"C:\\Program Files\\x\";\"\";\"tools\";\\\\;\\\\\\x",
       "\\\\srv\\share\\bin;\"C:\\Program Files\\x\""},
  };
  for (const auto& [folders, kept] : cases) EXPECT_EQ(WithoutRelativeFolders(folders), kept) << folders;
}

// Written with leading zeros on a 24-hour clock; twelve hours are at least 43200 seconds.
TEST(TimeStamp, TwelveHoursElapseBetweenReadableStampsOnly) {
  EXPECT_EQ(FormatTimeStamp(LocalTime{2014, 3, 5, 7, 21, 5, 2, 45}), "2014-03-07 21:05:02");
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"2014-03-07 09:00:00", "2014-03-07 20:59:59", false},
      {"2014-03-07 09:00:00", "2014-03-07 21:00:00", true},
      {"", "2014-03-07 21:00:00", false},
      {"2014-03-07 09:00:00", "", false},
      {"2014-03-08 09:00:00", "2014-03-08 08:00:00", false},  // a clock set back: the mark lies ahead
      {"garbage", "2014-03-07 21:00:00", true},               // an unreadable mark (-1) counts as elapsed
  };
  for (const auto& [last, now, elapsed] : cases) EXPECT_EQ(IsTwelveHoursElapsed(last, now), elapsed) << last;
}

// As atoi reads the run mode argument and INI numbers, without its undefined overflow.
TEST(AtoiLike, ReadsTheLeadingNumberAndSaturates) {
  EXPECT_EQ(AtoiLike("1abc"), 1);
  EXPECT_EQ(AtoiLike(" 1"), 1);
  EXPECT_EQ(AtoiLike("99999999999"), 2147483647);
}

}  // namespace
}  // namespace velkor
