// The activity log's field line: written when a line finds no file, also when
// the file was moved away or removed in the middle of a run, and only then.
#include "report/activity_log.h"

#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/handles.h"
#include "support/test_files.h"

namespace velkor {
namespace {

const std::string kFolder = "C:\\velkor-activity-test";
const std::string kLog = kFolder + "\\velkor.txt";

// A logger that opens the file for each text, as a library that keeps nothing open between calls does.
int AppendEachTime(const char* path, const char* text, int length, const char*, int, int*) {
  const platform::FileHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), text, static_cast<DWORD>(length), &written, nullptr) ? 1 : 0;
}

// The system tells the log's watch of a change a moment after it happened.
void NoticeTime() { Sleep(100); }

std::size_t FieldLines(const std::string& path) {
  const std::string log = testing::ReadWholeFile(path);
  std::size_t count = 0;
  for (std::size_t at = log.find("#Fields:"); at != std::string::npos; at = log.find("#Fields:", at + 1))
    ++count;
  return count;
}

TEST(ActivityLog, FieldLineOnlyWhenALineFindsNoFile) {
  std::filesystem::remove_all(kFolder);
  // Made before its folder exists: the first lines find no folder to watch.
  const ActivityLog log(AppendEachTime, kLog, "tester");
  const LocalTime now{2014, 3, 5, 7, 21, 5, 2, 0};
  const auto write = [&](const char* message) { log.Write(now, "WinMain", "INFO", message, "", ""); };
  write("lost: no folder");
  std::filesystem::create_directories(kFolder);
  write("first");
  write("second");
  // Other files coming and going beside the log change nothing.
  testing::WriteWholeFile(kFolder + "\\VelkorTemp_NetShare.txt", "report");
  std::filesystem::remove(kFolder + "\\VelkorTemp_NetShare.txt");
  write("third");
  EXPECT_EQ(FieldLines(kLog), 1u);
  EXPECT_EQ(testing::ReadWholeFile(kLog).rfind("#Fields:", 0), 0u);

  std::filesystem::rename(kLog, kFolder + "\\velkor-old.txt");
  NoticeTime();
  write("after the move");
  EXPECT_EQ(testing::ReadWholeFile(kLog).rfind("#Fields:", 0), 0u);
  EXPECT_EQ(FieldLines(kLog), 1u);
  EXPECT_NE(testing::ReadWholeFile(kLog).find("after the move"), std::string::npos);
  EXPECT_EQ(testing::ReadWholeFile(kFolder + "\\velkor-old.txt").find("after the move"), std::string::npos);

  std::filesystem::remove(kLog);
  NoticeTime();
  write("after the removal");
  write("and one more");
  EXPECT_EQ(testing::ReadWholeFile(kLog).rfind("#Fields:", 0), 0u);
  EXPECT_EQ(FieldLines(kLog), 1u);
  std::filesystem::remove_all(kFolder);
}

}  // namespace
}  // namespace velkor
