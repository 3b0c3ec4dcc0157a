// The edges of the share listing check; the fuzz target share_listing checks
// it against the rule read line by line on any listing.
#include "classify/share_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "support/source_files.h"

namespace velkor {
namespace {

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
}

TEST(ShareListing, ListingFileInEitherEncoding) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "velkor_share_listing.txt";
  for (const std::string& content : {kListing, testing::Utf16(kListing + "D\xE9p\xF4t       E:\\x\r\n")}) {
    std::ofstream(path, std::ios::binary) << content;  // a name beyond ASCII in UTF-16LE
    EXPECT_TRUE(IsShareListedInFile(path.string(), "Netlogon"));
    EXPECT_FALSE(IsShareListedInFile(path.string(), "Sysvol"));
  }
  std::filesystem::remove(path);
  EXPECT_FALSE(IsShareListedInFile(path.string(), "Netlogon"));
}

}  // namespace
}  // namespace velkor
