// Core: the handlers that end a run (the end-to-end runs show an inner end
// passing through WinMain's handler and a fault outside every handler), and
// the readers of outside text (the search path, time stamps, numbers).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

#include "core/guard.h"
#include "core/search_path.h"
#include "core/text.h"
#include "core/time_stamp.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;

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
    try {
      Guarded(ctx, policy, []() -> int { throw std::runtime_error("boom"); });
      ADD_FAILURE() << "the run goes on";
    } catch (const RunEnded& ended) {
      EXPECT_EQ(ended.exitCode, 0);
    }
    EXPECT_EQ(ctx.Logged(), logged);
    EXPECT_EQ(ctx.statuses.size(), policy.reportStatus ? 1u : 0u);
    EXPECT_EQ(ctx.cleanups, policy.cleanup ? 1 : 0);
  }
}

// The edges; the fuzz target search_path checks the filter on any search path.
TEST(SearchPath, KeepsOnlyFoldersGivenInFull) {
  const std::pair<const char*, const char*> cases[] = {
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

// Twelve hours are at least 43200 seconds (the tool runs' daily log shows how stamps are written).
TEST(TimeStamp, TwelveHoursElapseBetweenReadableStampsOnly) {
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
