// The report's files on a real file system: the activity log's field line
// once its file went away, and the daily result log's place and limits.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/handles.h"
#include "report/activity_log.h"
#include "report/daily_result_line.h"
#include "report/daily_result_log.h"
#include "support/fake_run_context.h"
#include "support/test_files.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;

const std::string kFolder = "C:\\velkor-report-test\\";

class ReportFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::remove_all(kFolder); }
  void TearDown() override { fs::remove_all(kFolder); }
  testing::FakeRunContext ctx;
};

// A logger that opens the file for each text, as a library that keeps nothing open between calls does.
int AppendEachTime(const char* path, const char* text, int length, const char*, int, int*) {
  const platform::FileHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), text, static_cast<DWORD>(length), &written, nullptr) ? 1 : 0;
}

// A line that finds no file writes the field line first: after the log was
// moved away or removed during the run, or its folder was missing at first.
TEST_F(ReportFiles, ActivityLogFieldLineWhenALineFindsNoFile) {
  const std::string log = kFolder + "velkor.txt";
  const ActivityLog activity(AppendEachTime, log, "tester");
  const auto write = [&](const char* m) { activity.Write(ctx.clock, "WinMain", "INFO", m, "", ""); };
  write("lost: no folder");
  fs::create_directories(kFolder);
  for (int step = 0; step < 3; ++step) {
    if (step == 1) fs::rename(log, kFolder + "old.txt");
    if (step == 2) fs::remove(log);
    Sleep(100);  // the system tells the log's watch of a change a moment after it happened
    write("first");
    write("second");
    const std::string text = ReadWholeFile(log);
    EXPECT_EQ(text.rfind("#Fields:", 0), 0u) << step;
    EXPECT_EQ(text.find("#Fields:", 1), std::string::npos) << step;
  }
}

// The daily result log lies in a folder per database, host and month (its
// entries: the dispatcher's tests). A folder over its limit is refused, the file
// keeping its path; a file over its own is refused. Nothing is written into a cut path.
TEST_F(ReportFiles, DailyResultLogPerDatabaseHostAndMonthOrRefusedOverItsLimits) {
  const struct {
    std::size_t databaseName;  // its length
    std::string line;          // the failure logged
    bool fileKept;
  } cases[] = {
      {250, "MakeDirectoryPath|Path longer than 250 characters refused", true},
      {1000, "SetDailyResultLogPath|Path longer than 1023 characters refused", false},
      {3, "", true},  // last: it makes the folders
  };
  for (const auto& c : cases) {
    testing::FakeRunContext run;
    run.InstallationPath = kFolder;
    const std::string path = SetDailyResultLogPath(run, std::string(c.databaseName, 'd'));
    EXPECT_EQ(path.empty(), !c.fileKept);
    AppendDailyResult(run, path, "net", "phrase", 1);
    if (c.line.empty()) {
      EXPECT_EQ(path, kFolder + "Nexagent\\DataDirectory\\ddd\\" + run.HostName +
                          "\\201403\\velkor\\velkor_20140307.Log");
      EXPECT_TRUE(fs::exists(path));
      continue;
    }
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_EQ(run.lines[0].module + "|" + run.lines[0].message, c.line);
    EXPECT_TRUE(run.lines[0].detail.starts_with(kFolder + "Nexagent\\DataDirectory\\ddd")) << c.line;
    EXPECT_FALSE(fs::exists(kFolder + "Nexagent")) << c.line;
  }
}

}  // namespace
}  // namespace velkor
