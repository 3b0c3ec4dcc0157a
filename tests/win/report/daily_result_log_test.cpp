// The daily result log: one file per database, host and day.
#include "report/daily_result_log.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace velkor
