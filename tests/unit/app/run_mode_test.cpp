#include "app/run_mode.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(RunMode, OneArgumentIsReadLikeAtoiOtherwiseFullRun) {
  struct Case {
    std::vector<std::string> args;
    int mode;
  } cases[] = {
      {{}, 0},      {{"0"}, 0},      {{"1"}, 1},    {{"abc"}, 0}, {{"2"}, 2},
      {{"-1"}, -1}, {{"1", "1"}, 0}, {{"1abc"}, 1}, {{" 1"}, 1},  {{"99999999999"}, 2147483647},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseRunMode(c.args), c.mode) << ::testing::PrintToString(c.args);
}

}  // namespace
}  // namespace velkor
