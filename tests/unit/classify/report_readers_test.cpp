// The edges of the readers of tools' reports that the fuzz targets cannot
// reach: repadmin_report and share_listing check each against a plain model
// on any report, and wrapped_verdicts checks the joining of dcdiag's verdicts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "classify/repadmin.h"
#include "classify/share_listing.h"
#include "support/fake_run_context.h"
#include "support/source_files.h"

namespace velkor {
namespace {

// A file of the temporary folder holding `content`; removed with the object.
struct TempFile {
  explicit TempFile(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
  ~TempFile() { std::filesystem::remove(path); }
  const std::string path = testing::OwnTempPath("velkor_report.txt").string();
};

// Opened as binary: under Windows, text mode would end the report at the Ctrl-Z.
TEST(RepadminFile, ACtrlZEndsNothing) {
  testing::FakeRunContext ctx;
  const TempFile file("header\x1a\r\n******* 23 CONSECUTIVE FAILURES since 2016-11-10 09:13:49\r\n");
  ctx.ToolOutputPath = file.path;
  std::string text;
  EXPECT_EQ(ParseRepadminFile(ctx, text), 1);
}

// Tabs and blanks around the name; a file in UTF-16LE with a share name
// beyond ASCII; no name; no file.
TEST(ShareListing, AShareCountsOnlyWhereALineBeginsWithItsName) {
  for (const char* name : {"Netlogon", "Sysvol"})
    EXPECT_TRUE(IsShareListed("NetLogon\tC:\\x\n \tsysvol\n", name));
  EXPECT_FALSE(IsShareListed("NETLOGON", ""));
  const TempFile file(
      testing::Utf16("D\xE9p\xF4t       E:\\x\r\nNETLOGON     C:\\Windows\\SYSVOL\\sysvol\r\n"));
  EXPECT_TRUE(IsShareListedInFile(file.path, "Netlogon"));
  EXPECT_FALSE(IsShareListedInFile(file.path, "Sysvol"));
  EXPECT_FALSE(IsShareListedInFile("/velkor_no_such_folder/net.txt", "Netlogon"));
}

}  // namespace
}  // namespace velkor
