// The daily result log: one file per database, host and day.
#include "report/daily_result_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/fake_run_context.h"
#include "support/test_files.h"

namespace velkor {
namespace {

TEST(DailyResultLog, OneFilePerDatabaseWithTheHeaderOnceAndCrLfLines) {
  std::filesystem::remove_all("C:\\velkor-daily-test");
  testing::FakeRunContext ctx;
  ctx.InstallationPath = "C:\\velkor-daily-test\\";
  ctx.DatabaseName = "first.mdb";
  ctx.clock = LocalTime{2014, 3, 5, 7, 21, 5, 2, 0};
  SetDailyResultLogPath(ctx);
  ASSERT_FALSE(ctx.HostName.empty());
  EXPECT_EQ(ctx.DailyResultLogPath, "C:\\velkor-daily-test\\Nexagent\\DataDirectory\\first.mdb\\" +
                                        ctx.HostName + "\\201403\\velkor\\velkor_20140307.Log");
  AppendDailyResult(ctx, "dcdiag.exe", "failed test", 1);
  AppendDailyResult(ctx, "net", "ExecuteEXE failed with error code 2 command is net", 0);
  EXPECT_EQ(testing::ReadWholeFile(ctx.DailyResultLogPath),
            "#Fields:\tDATE TIME\tFunction Name\tKEYWORD\tSTATUS\r\n"
            "2014-03-07 21:05:02\tdcdiag.exe\tfailed test\t1\r\n"
            "2014-03-07 21:05:02\tnet\tExecuteEXE failed with error code 2 command is net\t0\r\n");

  const std::string first = ctx.DailyResultLogPath;
  ctx.DatabaseName = "second.mdb";
  SetDailyResultLogPath(ctx);
  AppendDailyResult(ctx, "repadmin", ">10 Consectutive Failures", 0);
  EXPECT_NE(ctx.DailyResultLogPath, first);
  EXPECT_TRUE(std::filesystem::exists(ctx.DailyResultLogPath));
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
    ctx.DatabaseName = std::string(c.databaseName, 'd');
    SetDailyResultLogPath(ctx);
    ASSERT_EQ(ctx.lines.size(), 1u);
    EXPECT_EQ(ctx.lines[0].module, c.line.module);
    EXPECT_EQ(ctx.lines[0].message, c.line.message);
    EXPECT_TRUE(ctx.lines[0].detail.starts_with(ctx.InstallationPath + "Nexagent\\DataDirectory\\ddd"))
        << ctx.lines[0].detail;
    EXPECT_EQ(ctx.DailyResultLogPath.empty(), !c.fileKept);
    AppendDailyResult(ctx, "net", "phrase", 1);
    // Nothing is written anywhere, in particular not into a cut path.
    EXPECT_FALSE(std::filesystem::exists("C:\\velkor-daily-test\\Nexagent\\DataDirectory"));
  }
}

}  // namespace
}  // namespace velkor
