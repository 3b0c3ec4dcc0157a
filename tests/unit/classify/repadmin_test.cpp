#include "classify/repadmin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

class RepadminFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ =
        std::filesystem::temp_directory_path() / (std::string("velkor_repadmin_") + info->name() + ".txt");
    ctx_.ToolOutputPath = path_.string();
  }
  void TearDown() override { std::filesystem::remove(path_); }

  int Parse(const std::string& content) {
    std::ofstream(path_, std::ios::binary) << content;
    return ParseRepadminFile(ctx_, text_);
  }

  std::filesystem::path path_;
  FakeRunContext ctx_;
  std::string text_;
};

std::string Summary(int failures) {
  return "******* " + std::to_string(failures) + " CONSECUTIVE FAILURES since 2016-11-10 09:13:49\n";
}

TEST_F(RepadminFile, MoreThanTenFailuresOnTheLastLinesCount) {
  const std::pair<std::string, int> cases[] = {
      {"header\n" + Summary(10) + "Last error: 1722\n", 0},
      {"header\n" + Summary(11) + "Last error: 1722\n", 1},
      {Summary(23), 1},
      {"a\nb\nc\nd\n" + Summary(23), 1},
      {Summary(23) + "a\nb\nc\n", 0},                          // earlier than the last three lines
      {"a\nb\nc\n" + Summary(5) + Summary(23), 0},             // lines 4 and 5: the first buffer wins
      {"a\nb\nc\nd\n" + Summary(23) + "x\n" + Summary(5), 0},  // line 7 sits in the first buffer
      {"a\nb\nc\nd\nx\n" + Summary(5) + Summary(23), 1},       // line 6 third, line 7 first
      {"23 CONSECUTIVE FAILURES since 2016-11-10\n", 0},       // the second word is not the number
      {"******* 12 CONSECUTIVE FAILURES", 1},                  // no final line feed
      {"", 0},
  };
  for (const auto& [content, expected] : cases) {
    EXPECT_EQ(Parse(content), expected) << content;
    EXPECT_EQ(text_, "");
  }
}

TEST_F(RepadminFile, CountedLineIsLoggedWhole) {
  EXPECT_EQ(Parse("a\n" + Summary(15)), 1);
  ASSERT_EQ(ctx_.lines.size(), 1u);
  EXPECT_EQ(ctx_.lines[0],
            (LoggedLine{"CountofFailures", "INFO", "count of CONSECUTIVE FAILURES", Summary(15), ""}));
}

TEST_F(RepadminFile, LongLinesAreReadInPiecesWithoutOverflow) {
  EXPECT_EQ(Parse(Summary(30).substr(0, 40) + std::string(5000, 'y') + "\n"), 1);
  ASSERT_EQ(ctx_.lines.size(), 1u);
  EXPECT_EQ(ctx_.lines[0].detail.size(), 2047u);
  // Three pieces of 2047, 2047 and 907 characters fill the three buffers; the
  // summary line that follows lands in the first.
  EXPECT_EQ(Parse(std::string(5000, 'z') + "\n" + Summary(40)), 1);
}

TEST_F(RepadminFile, UnopenableFileLeavesTheErrorCode) {
  ctx_.ToolOutputPath = (path_.parent_path() / "velkor_missing_dir" / "none.txt").string();
  ctx_.lastError = 3;
  EXPECT_EQ(ParseRepadminFile(ctx_, text_), 0);
  EXPECT_EQ(text_, "3");
  EXPECT_TRUE(ctx_.lines.empty());
}

TEST(CountofFailures, ReadsTheSecondWordLikeAtoi) {
  const std::pair<const char*, int> logged[] = {
      {"** 11 CONSECUTIVE FAILURES", 1},
      {"** 10 CONSECUTIVE FAILURES", 0},
      {"** 99999999999999 CONSECUTIVE FAILURES", 1},
      {"**  11 CONSECUTIVE FAILURES", 0},
      {"** x11 CONSECUTIVE", 0},
  };
  for (const auto& [line, expected] : logged) {
    FakeRunContext ctx;
    EXPECT_EQ(CountofFailures(ctx, line), expected) << line;
    EXPECT_EQ(ctx.lines.size(), 1u);
  }
  for (const char* line : {"", "CONSECUTIVE", "** 12"}) {
    FakeRunContext ctx;
    EXPECT_EQ(CountofFailures(ctx, line), 0) << line;
    EXPECT_TRUE(ctx.lines.empty());
  }
}

}  // namespace
}  // namespace velkor
