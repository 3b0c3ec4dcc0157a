#include "app/run_mode.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

// The end-to-end runs cover the ordinary arguments; these are the edges of reading a number.
TEST(RunMode, OneArgumentIsReadLikeAtoiWithoutOverflow) {
  EXPECT_EQ(ParseRunMode({"1abc"}), 1);
  EXPECT_EQ(ParseRunMode({" 1"}), 1);
  EXPECT_EQ(ParseRunMode({"99999999999"}), 2147483647);
}

}  // namespace
}  // namespace velkor
