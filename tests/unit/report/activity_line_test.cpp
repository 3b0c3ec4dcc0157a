#include "report/activity_line.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(ActivityLine, SevenTabSeparatedFieldsEndingInOneLineFeed) {
  EXPECT_EQ(ComposeActivityLine("2014-03-07", "09:05:02 PM", "svc", "WinMain", "Info",
                                "Main Function Started", "", ""),
            "2014-03-07 09:05:02 PM\tsvc\tWinMain\tINFO\tMain Function Started\t\t\n");
  // Fields go in as they are: a system text keeps its CRLF inside the line.
  EXPECT_EQ(ComposeActivityLine("d", "t", "u", "m", "ERROR", "Exception Occured ", "Access denied.\r\n", "x"),
            "d t\tu\tm\tERROR\tException Occured \tAccess denied.\r\n\tx\n");
}

TEST(ActivityLine, EntryTypesAreNormalised) {
  for (const char* information : {"Information", "INFORMATION", "infoRMATION"})
    EXPECT_EQ(NormaliseEntryType(information), "INFO") << information;
  EXPECT_EQ(NormaliseEntryType("Info"), "INFO");
  EXPECT_EQ(NormaliseEntryType("Success"), "SUCCESS");
  EXPECT_EQ(NormaliseEntryType("EXCEPTION"), "EXCEPTION");
  EXPECT_EQ(NormaliseEntryType(std::string(150, 'x')), std::string(99, 'X'));
}

TEST(ActivityLine, OverlongLinesAreCutKeepingTheLineFeed) {
  const std::string line = ComposeActivityLine("d", "t", "u", "m", "INFO", std::string(5000, 'a'), "", "");
  EXPECT_EQ(line.size(), 3071u);
  EXPECT_EQ(line.back(), '\n');
}

TEST(ActivityLine, DateHasFourDigitYearAndTwoDigitMonthAndDay) {
  EXPECT_EQ(FormatLogDate(LocalTime{2014, 3, 5, 7, 21, 5, 2, 0}), "2014-03-07");
}

}  // namespace
}  // namespace velkor
