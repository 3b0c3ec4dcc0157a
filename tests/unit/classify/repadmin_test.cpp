// The edges of the replication count; the fuzz target repadmin_report checks
// it against a plain model of the three line buffers on any report.
#include "classify/repadmin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::LoggedLine;

std::string Summary(int failures) {
  return "******* " + std::to_string(failures) + " CONSECUTIVE FAILURES since 2016-11-10 09:13:49\n";
}

// Lines 1, 4, 7 ... are read into the first of three buffers, 2, 5, 8 ... into
// the second, 3, 6, 9 ... into the third; the first buffer holding the phrase
// counts. A line longer than 2047 characters is read in pieces, each a line.
TEST(RepadminFile, OnlyTheLastThreeLinesCountInBufferOrder) {
  testing::FakeRunContext ctx;
  const std::string longLine = Summary(30).substr(0, 40) + std::string(5000, 'y') + "\n";
  // A report, its count, whether the counted line was found.
  const std::tuple<std::string, int, bool> cases[] = {
      {"header\n\n" + Summary(10) + "Last error: 1722\n", 0, true},
      {"header\n\n" + Summary(11) + "Last error: 1722", 1, true},  // line 3 stays while 5 and 6 find the end
      {Summary(23) + "a\nb\nc\n", 0, false},                       // earlier than the last three lines
      {"a\nb\nc\n" + Summary(5) + Summary(23), 0, true},           // lines 4 and 5: the first buffer wins
      {"a\nb\nc\nd\nx\n" + Summary(5) + Summary(23), 1, true},     // line 6 third, line 7 first
      {"header\x1a\r\n" + Summary(23), 1, true},                   // read as binary: a Ctrl-Z ends nothing
      {"x\r\n" + Summary(12).substr(0, Summary(12).size() - 1) + "\r\n", 1, true},
      {longLine, 1, true},
  };
  ctx.ToolOutputPath = (std::filesystem::temp_directory_path() / "velkor_repadmin.txt").string();
  for (const auto& [report, result, counted] : cases) {
    SCOPED_TRACE(report.substr(0, 80));
    std::ofstream(ctx.ToolOutputPath, std::ios::binary) << report;
    bool found = false;
    std::string text;
    EXPECT_EQ(ParseRepadminFile(ctx, text, &found), result);
    EXPECT_EQ(found, counted);
    EXPECT_EQ(text, "");
  }
  std::filesystem::remove(ctx.ToolOutputPath);
  // The counted line as text mode reads it (CR LF as LF), a long one cut at its piece.
  ASSERT_GE(ctx.lines.size(), 2u);
  EXPECT_EQ(ctx.lines[ctx.lines.size() - 2].detail, Summary(12));
  EXPECT_EQ(ctx.lines.back(), (LoggedLine{"CountofFailures", "INFO", "count of CONSECUTIVE FAILURES",
                                          longLine.substr(0, 2047), ""}));
}

TEST(RepadminFile, UnopenableFileLeavesTheErrorCode) {
  testing::FakeRunContext ctx;
  ctx.ToolOutputPath = (std::filesystem::temp_directory_path() / "velkor_missing_dir" / "none.txt").string();
  ctx.lastError = 3;
  std::string text;
  EXPECT_EQ(ParseRepadminFile(ctx, text), 0);
  EXPECT_EQ(text, "3");
}

}  // namespace
}  // namespace velkor
