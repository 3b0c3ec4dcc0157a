// Core's readers of outside text: lines of a file, the search path, time stamps.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/line_reader.h"
#include "core/search_path.h"
#include "core/time_stamp.h"

namespace velkor {
namespace {

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

// The edges; the fuzz target search_path checks the filter against a pattern
// of the folders given in full on any search path.
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

TEST(TimeStamp, WrittenWithLeadingZerosOnA24HourClockAndUnreadableAsMinusOne) {
  EXPECT_EQ(FormatTimeStamp(LocalTime{2014, 3, 5, 7, 21, 5, 2, 45}), "2014-03-07 21:05:02");
  EXPECT_EQ(ParseTimeStamp(""), -1);
  EXPECT_EQ(ParseTimeStamp("yesterday"), -1);
}

TEST(TimeStamp, TwelveHoursMeansAtLeast43200Seconds) {
  EXPECT_FALSE(IsTwelveHoursElapsed("2014-03-07 09:00:00", "2014-03-07 20:59:59"));
  EXPECT_TRUE(IsTwelveHoursElapsed("2014-03-07 09:00:00", "2014-03-07 21:00:00"));
  EXPECT_FALSE(IsTwelveHoursElapsed("", "2014-03-07 21:00:00"));
  EXPECT_FALSE(IsTwelveHoursElapsed("2014-03-07 09:00:00", ""));
  // A clock set back: the mark lies in the future and is not elapsed.
  EXPECT_FALSE(IsTwelveHoursElapsed("2014-03-08 09:00:00", "2014-03-08 08:00:00"));
  // An unreadable mark counts as elapsed.
  EXPECT_TRUE(IsTwelveHoursElapsed("garbage", "2014-03-07 21:00:00"));
}

}  // namespace
}  // namespace velkor
