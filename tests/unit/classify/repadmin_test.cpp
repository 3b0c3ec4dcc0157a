#include "classify/repadmin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

class RepadminFile : public ::testing::Test {
 protected:
  RepadminFile() { ctx_.ToolOutputPath = path_.string(); }
  ~RepadminFile() override { std::filesystem::remove(path_); }

  int Parse(const std::string& content) {
    std::ofstream(path_, std::ios::binary) << content;
    return ParseRepadminFile(ctx_, text_);
  }

  const std::filesystem::path path_ =
      std::filesystem::temp_directory_path() /
      (std::string("velkor_repadmin_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  FakeRunContext ctx_;
  std::string text_;
};

std::string Summary(int failures) {
  return "******* " + std::to_string(failures) + " CONSECUTIVE FAILURES since 2016-11-10 09:13:49\n";
}

// Lines 1, 4, 7 ... are read into the first of three buffers, 2, 5, 8 ... into
// the second, 3, 6, 9 ... into the third; the first buffer holding the phrase counts.
TEST_F(RepadminFile, OnlyTheLastThreeLinesCountInBufferOrder) {
  const std::pair<std::string, int> cases[] = {
      {"header\n\n" + Summary(10) + "Last error: 1722\n", 0},
      {"header\n\n" + Summary(11) + "Last error: 1722\n", 1},  // line 3 stays while 5 and 6 find the end
      {Summary(23) + "a\nb\nc\n", 0},                          // earlier than the last three lines
      {"a\nb\nc\n" + Summary(5) + Summary(23), 0},             // lines 4 and 5: the first buffer wins
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

TEST_F(RepadminFile, LongLinesAreReadInPiecesWithoutOverflow) {
  const std::string line = Summary(30).substr(0, 40) + std::string(5000, 'y') + "\n";
  EXPECT_EQ(Parse(line), 1);
  EXPECT_EQ(ctx_.lines, (std::vector<LoggedLine>{{"CountofFailures", "INFO", "count of CONSECUTIVE FAILURES",
                                                  line.substr(0, 2047), ""}}));
  // Pieces of 2047, 2047 and 907 characters fill the three buffers; the
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
  const std::tuple<const char*, int, std::size_t> cases[] = {
      // line, result, lines logged
      {"** 99999999999999 CONSECUTIVE FAILURES", 1, 1},
      {"**  11 CONSECUTIVE FAILURES", 0, 1},
      {"** x11 CONSECUTIVE", 0, 1},
      {"** 12", 0, 0},
      {"", 0, 0},
  };
  for (const auto& [line, expected, logged] : cases) {
    FakeRunContext ctx;
    EXPECT_EQ(CountofFailures(ctx, line), expected) << line;
    EXPECT_EQ(ctx.lines.size(), logged) << line;
  }
}

}  // namespace
}  // namespace velkor
