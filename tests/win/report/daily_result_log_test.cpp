// The daily result log: one file per database, host and day.
#include "report/daily_result_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "report/daily_result_line.h"
#include "support/fake_run_context.h"
#include "support/test_files.h"

namespace velkor {
namespace {

TEST(DailyResultLog, OneFilePerDatabaseWithTheHeaderOnceAndCrLfLines) {
  std::filesystem::remove_all("C:\\velkor-daily-test");
  testing::FakeRunContext ctx;
  ctx.InstallationPath = "C:\\velkor-daily-test\\";
  ctx.clock = LocalTime{2014, 3, 5, 7, 21, 5, 2, 0};
  const std::string first = SetDailyResultLogPath(ctx, "first.mdb");
  ASSERT_FALSE(ctx.HostName.empty());
  EXPECT_EQ(first, "C:\\velkor-daily-test\\Nexagent\\DataDirectory\\first.mdb\\" + ctx.HostName +
                       "\\201403\\velkor\\velkor_20140307.Log");
  AppendDailyResult(ctx, first, "dcdiag.exe", "failed test", 1);
  AppendDailyResult(ctx, first, "net", "ExecuteEXE failed with error code 2 command is net", 0);
  EXPECT_EQ(testing::ReadWholeFile(first),
            "#Fields:\tDATE TIME\tFunction Name\tKEYWORD\tSTATUS\r\n"
            "2014-03-07 21:05:02\tdcdiag.exe\tfailed test\t1\r\n"
            "2014-03-07 21:05:02\tnet\tExecuteEXE failed with error code 2 command is net\t0\r\n");

  const std::string second = SetDailyResultLogPath(ctx, "second.mdb");
  AppendDailyResult(ctx, second, "repadmin", ">10 Consectutive Failures", 0);
  EXPECT_NE(second, first);
  EXPECT_TRUE(std::filesystem::exists(second));
}

TEST(DailyResultLog, PathsOverTheirLimitsAreRefusedWithAFailureLine) {
  std::filesystem::remove_all("C:\\velkor-daily-test");
  struct Case {
    const char* name;
    std::size_t databaseName;  // its length
    bool fileKept;
    testing::LoggedLine line;
  } cases[] = {
      // The folder is refused by MakeDirectoryPath; the file keeps its path, which an existing folder could
      // take.
      {"folder over 250",
       250,
       true,
       {"MakeDirectoryPath", "ERROR", "Path longer than 250 characters refused", "", ""}},
      {"file over 1023",
       1000,
       false,
       {"SetDailyResultLogPath", "ERROR", "Path longer than 1023 characters refused", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeRunContext ctx;
    ctx.InstallationPath = "C:\\velkor-daily-test\\";
    const std::string path = SetDailyResultLogPath(ctx, std::string(c.databaseName, 'd'));
    ASSERT_EQ(ctx.lines.size(), 1u);
    EXPECT_EQ(ctx.lines[0].module, c.line.module);
    EXPECT_EQ(ctx.lines[0].message, c.line.message);
    EXPECT_TRUE(ctx.lines[0].detail.starts_with(ctx.InstallationPath + "Nexagent\\DataDirectory\\ddd"))
        << ctx.lines[0].detail;
    EXPECT_EQ(path.empty(), !c.fileKept);
    AppendDailyResult(ctx, path, "net", "phrase", 1);
    // Nothing is written anywhere, in particular not into a cut path.
    EXPECT_FALSE(std::filesystem::exists("C:\\velkor-daily-test\\Nexagent\\DataDirectory"));
  }
}

}  // namespace
}  // namespace velkor
