#include "classify/share_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace velkor {
namespace {

const std::string kHead = "\r\nShare name   Resource                        Remark\r\n\r\n" +
                          std::string(79, '-') + "\r\n" +
                          "C$           C:\\                             Default share\r\n"
                          "IPC$                                         Remote IPC\r\n";
const std::string kNetlogon =
    "NETLOGON     C:\\Windows\\SYSVOL\\sysvol\\corp.example.com\\SCRIPTS\r\n"
    "                                             Logon server share\r\n";
const std::string kSysvol = "SYSVOL       C:\\Windows\\SYSVOL\\sysvol        Logon server share\r\n";
const std::string kEnd = "The command completed successfully.\r\n\r\n";

// The same listing as a console 40 columns wide shows it: longer rows wrap,
// and NETLOGON's path continues on a row that begins with "SYSVOL\".
std::string Narrow(const std::string& listing) {
  std::string rows;
  std::size_t start = 0;
  for (std::size_t end; (end = listing.find("\r\n", start)) != std::string::npos; start = end + 2) {
    std::string line = listing.substr(start, end - start);
    for (; line.size() > 40; line.erase(0, 40)) rows += line.substr(0, 40) + "\r\n";
    rows += line + "\r\n";
  }
  return rows;
}
const std::string kRelocatedNetlogon =
    "NETLOGON     D:\\Replicated Folders\\ADDS\\SYSVOL\\sysvol\\corp.example.com\\SCRIPTS\r\n";

TEST(ShareListing, AShareCountsOnlyWhereALineBeginsWithItsName) {
  const struct {
    std::string listing;
    bool netlogon, sysvol;
  } cases[] = {
      {kHead + kNetlogon + kSysvol + kEnd, true, true},
      // SYSVOL's share is gone; NETLOGON's path still names it.
      {kHead + kNetlogon + kEnd, true, false},
      {kHead + kSysvol + kEnd, false, true},
      {kHead + kEnd, false, false},
      {"netlogon     C:\\x\nSysVol       C:\\y\n", true, true},
      {"NetLogon\tC:\\x\n   sysvol\n", true, true},  // a tab after the name; blanks before it; the name alone
      {"NETLOGON", true, false},                     // no line end at all
      {"NETLOGON2    C:\\x\nSYSVOL_OLD   D:\\old\\SYSVOL\nSYSVOL$      C:\\y\n", false, false},
      {"Sysvol is not shared.\nThe NETLOGON share is missing.\n", false, true},
      {Narrow(kHead + kNetlogon + kSysvol + kEnd), true, true},
      {Narrow(kHead + kRelocatedNetlogon + kEnd), true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.listing);
    EXPECT_EQ(IsShareListed(c.listing, "Netlogon"), c.netlogon);
    EXPECT_EQ(IsShareListed(c.listing, "NETLOGON"), c.netlogon);
    EXPECT_EQ(IsShareListed(c.listing, "Sysvol"), c.sysvol);
    EXPECT_EQ(IsShareListed(c.listing, "sysvol"), c.sysvol);
  }
  EXPECT_FALSE(IsShareListed(kHead + kNetlogon, ""));
}

TEST(ShareListing, ListingFileInEitherEncoding) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "velkor_share_listing.txt";
  const std::string narrow = kHead + kNetlogon + kEnd;
  std::string wide = "\xFF\xFE";
  for (const char c : narrow + "D\xE9p\xF4t       E:\\x\r\n") {  // a name beyond ASCII
    wide += c;
    wide += '\0';
  }
  for (const std::string& content : {narrow, wide}) {
    std::ofstream(path, std::ios::binary) << content;
    EXPECT_TRUE(IsShareListedInFile(path.string(), "Netlogon"));
    EXPECT_FALSE(IsShareListedInFile(path.string(), "Sysvol"));
  }
  std::filesystem::remove(path);
  EXPECT_FALSE(IsShareListedInFile(path.string(), "Netlogon"));
}

}  // namespace
}  // namespace velkor
