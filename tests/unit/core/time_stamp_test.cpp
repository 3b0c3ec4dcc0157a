#include "core/time_stamp.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(TimeStamp, FormatsWithLeadingZerosOnA24HourClock) {
  EXPECT_EQ(FormatTimeStamp(LocalTime{2014, 3, 5, 7, 21, 5, 2, 45}), "2014-03-07 21:05:02");
}

TEST(TimeStamp, UnreadableTextIsMinusOne) {
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
