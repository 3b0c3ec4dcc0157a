#include "classify/repadmin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

// Parses `content` as the repadmin output; the error text must stay empty.
// `counted` tells whether the counted line was found.
int Parse(FakeRunContext& ctx, const std::string& content, bool* counted = nullptr) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      (std::string("velkor_repadmin_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::ofstream(path, std::ios::binary) << content;
  ctx.ToolOutputPath = path.string();
  std::string text;
  const int result = ParseRepadminFile(ctx, text, counted);
  std::filesystem::remove(path);
  EXPECT_EQ(text, "");
  return result;
}

std::string Summary(int failures) {
  return "******* " + std::to_string(failures) + " CONSECUTIVE FAILURES since 2016-11-10 09:13:49\n";
}

// Lines 1, 4, 7 ... are read into the first of three buffers, 2, 5, 8 ... into
// the second, 3, 6, 9 ... into the third; the first buffer holding the phrase
// counts. A line longer than 2047 characters is read in pieces, each a line.
TEST(RepadminFile, OnlyTheLastThreeLinesCountInBufferOrder) {
  FakeRunContext ctx;
  const std::string longLine = Summary(30).substr(0, 40) + std::string(5000, 'y') + "\n";
  const std::pair<std::string, int> cases[] = {
      {"header\n\n" + Summary(10) + "Last error: 1722\n", 0},
      {"header\n\n" + Summary(11) + "Last error: 1722", 1},  // line 3 stays while 5 and 6 find the end
      {Summary(23) + "a\nb\nc\n", 0},                        // earlier than the last three lines
      {"a\nb\nc\n" + Summary(5) + Summary(23), 0},           // lines 4 and 5: the first buffer wins
      {"a\nb\nc\nd\nx\n" + Summary(5) + Summary(23), 1},     // line 6 third, line 7 first
      {"23 CONSECUTIVE FAILURES since 2016-11-10\n", 0},     // the second word is not the number
      {"", 0},
      {"header\x1a\r\n" + Summary(23), 1},  // read as binary: a Ctrl-Z ends nothing
      {longLine, 1},
  };
  for (const auto& [content, expected] : cases) {
    bool counted = false;
    EXPECT_EQ(Parse(ctx, content, &counted), expected) << content.substr(0, 80);
    EXPECT_EQ(counted,
              content.find("CONSECUTIVE") != std::string::npos && content != Summary(23) + "a\nb\nc\n")
        << content.substr(0, 80);
  }
  ASSERT_FALSE(ctx.lines.empty());
  EXPECT_EQ(ctx.lines.back(), (LoggedLine{"CountofFailures", "INFO", "count of CONSECUTIVE FAILURES",
                                          longLine.substr(0, 2047), ""}));
  Parse(ctx, "x\r\n" + Summary(12).substr(0, Summary(12).size() - 1) + "\r\n");
  EXPECT_EQ(ctx.lines.back().detail, Summary(12));  // the line end as text mode reads it
}

TEST(RepadminFile, UnopenableFileLeavesTheErrorCode) {
  FakeRunContext ctx;
  ctx.ToolOutputPath = (std::filesystem::temp_directory_path() / "velkor_missing_dir" / "none.txt").string();
  ctx.lastError = 3;
  std::string text;
  EXPECT_EQ(ParseRepadminFile(ctx, text), 0);
  EXPECT_EQ(text, "3");
}

}  // namespace
}  // namespace velkor
