// The edges of the readers of tools' reports; the fuzz targets repadmin_report
// and share_listing check each against a plain model on any report, and
// wrapped_verdicts checks the joining of dcdiag's verdicts alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "classify/repadmin.h"
#include "classify/share_listing.h"
#include "support/fake_run_context.h"
#include "support/source_files.h"

namespace velkor {
namespace {

using testing::LoggedLine;
using testing::Utf16;

// A file of the temporary folder holding `content`; removed with the object.
struct TempFile {
  explicit TempFile(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
  ~TempFile() { std::filesystem::remove(path); }
  const std::string path = (std::filesystem::temp_directory_path() / "velkor_report.txt").string();
};

std::string Summary(int failures) {
  return "******* " + std::to_string(failures) + " CONSECUTIVE FAILURES since 2016-11-10 09:13:49\n";
}

// Line i is read into buffer i mod 3, and the first buffer holding the phrase
// counts; a line longer than 2047 characters is read in pieces, each a line.
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
  for (const auto& [report, result, counted] : cases) {
    SCOPED_TRACE(report.substr(0, 80));
    const TempFile file(report);
    ctx.ToolOutputPath = file.path;
    bool found = false;
    std::string text;
    EXPECT_EQ(ParseRepadminFile(ctx, text, &found), result);
    EXPECT_EQ(found, counted);
    EXPECT_EQ(text, "");
  }
  // The counted line as text mode reads it (CR LF as LF), a long one cut at its piece.
  ASSERT_GE(ctx.lines.size(), 2u);
  EXPECT_EQ(ctx.lines[ctx.lines.size() - 2].detail, Summary(12));
  EXPECT_EQ(ctx.lines.back(), (LoggedLine{"CountofFailures", "INFO", "count of CONSECUTIVE FAILURES",
                                          longLine.substr(0, 2047), ""}));
  // A file that cannot be opened leaves the error code.
  ctx.ToolOutputPath = "/velkor_no_such_folder/repadmin.txt";
  ctx.lastError = 3;
  std::string text;
  EXPECT_EQ(ParseRepadminFile(ctx, text), 0);
  EXPECT_EQ(text, "3");
}

const std::string kListing =
    "Share name   Resource                        Remark\r\n\r\n"
    "IPC$                                         Remote IPC\r\n"
    "NETLOGON     C:\\Windows\\SYSVOL\\sysvol\\corp.example.com\\SCRIPTS\r\n"
    "                                             Logon server share\r\n"
    "The command completed successfully.\r\n";

TEST(ShareListing, AShareCountsOnlyWhereALineBeginsWithItsName) {
  // A listing, whether it lists NETLOGON, whether it lists SYSVOL.
  const std::tuple<std::string, bool, bool> cases[] = {
      // SYSVOL's share is gone; NETLOGON's path still names it.
      {kListing, true, false},
      {"netlogon     C:\\x\nSysVol       C:\\y\n", true, true},
      {"NetLogon\tC:\\x\n \tsysvol\n", true, true},  // a tab after the name; blanks before it; the name alone
      {"NETLOGON", true, false},                     // no line end at all
      {"NETLOGON2    C:\\x\nSYSVOL_OLD   D:\\old\\SYSVOL\nSYSVOL$      C:\\y\n", false, false},
      {"Sysvol is not shared.\nThe NETLOGON share is missing.\n", false, true},
      // A narrow console wraps NETLOGON's path onto a row that begins with "SYSVOL\".
      {"NETLOGON     D:\\Replicated Folders\\ADDS\\\r\nSYSVOL\\sysvol\\corp.example.com\\SCRIPTS\r\n", true,
       false},
  };
  for (const auto& [listing, netlogon, sysvol] : cases) {
    SCOPED_TRACE(listing);
    EXPECT_EQ(IsShareListed(listing, "Netlogon"), netlogon);
    EXPECT_EQ(IsShareListed(listing, "Sysvol"), sysvol);
  }
  EXPECT_FALSE(IsShareListed(kListing, ""));
  // The listing's file in either encoding, a name beyond ASCII in UTF-16LE.
  for (const std::string& content : {kListing, Utf16(kListing + "D\xE9p\xF4t       E:\\x\r\n")}) {
    const TempFile file(content);
    EXPECT_TRUE(IsShareListedInFile(file.path, "Netlogon"));
    EXPECT_FALSE(IsShareListedInFile(file.path, "Sysvol"));
  }
  EXPECT_FALSE(IsShareListedInFile("/velkor_no_such_folder/net.txt", "Netlogon"));
}

}  // namespace
}  // namespace velkor
