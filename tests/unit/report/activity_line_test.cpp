#include "report/activity_line.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(ActivityLine, InformationInAnyCaseIsInfoAndOtherTypesAreUpperCasedWithinTheirLimit) {
  EXPECT_EQ(NormaliseEntryType("infoRMATION"), "INFO");
  EXPECT_EQ(NormaliseEntryType("EXCEPTION"), "EXCEPTION");
  EXPECT_EQ(NormaliseEntryType(std::string(150, 'x')), std::string(99, 'X'));
}

TEST(ActivityLine, OverlongLinesAreCutKeepingTheLineFeed) {
  const std::string line = ComposeActivityLine("d", "t", "u", "m", "INFO", std::string(5000, 'a'), "", "");
  EXPECT_EQ(line.size(), 3071u);
  EXPECT_EQ(line.back(), '\n');
}

}  // namespace
}  // namespace velkor
