// The full run end to end: every database opened, the tools run once per
// database, the rules applied and every record written page by page; the
// component's failures reported once per database; the twelve-hour mark.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;
using Results = std::map<std::string, std::string>;

const std::string kTwelveHours = "Program exited Sucessfully for 12 HR schedule";
const std::regex kTimeStamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");

class Cycle : public ::testing::Test {
 protected:
  void Prepare(const std::string& version, const std::string& scenario) {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    HostSetup host;
    host.osVersion = version;
    if (version == "5.2") host.uninstallDisplayName = "Windows Support Tools";
    box.PrepareHost(host);
    box.InstallTools(scenario);
  }
  std::vector<std::string> Details(const std::string& message) const {
    std::vector<std::string> details;
    for (const LogEntry& e : box.LogEntries())
      if (e.message == message) details.push_back(e.detail);
    return details;
  }
  Sandbox box;
};

// Version 5.2 runs netdiag; this host holds the PDC role, so the policy checks run.
TEST_F(Cycle, HealthyThenFailingControllerOn52WithThePdcRole) {
  Prepare("5.2", "healthy");
  std::string source =
      std::string("Z:") + std::getenv("VELKOR_SOURCE_DIR") + "/sandbox/databases/DirectoryHealth.tsv";
  std::replace(source.begin(), source.end(), '/', '\\');
  WriteWholeFile(box.DatabasesFolder() + "DirectoryHealth.tsv", ReadWholeFile(source));
  box.WriteDatabase("pages.tsv", RecordsOf(std::vector<std::string>(45, "1003")));
  // Failures "0", closings "1", the time service its error (no W32Time here);
  // IDs that select no slot are left as they were.
  Results expected = box.ResultsById("DirectoryHealth.tsv");
  for (auto& [id, result] : expected) result = id[0] == '3' ? "1/0" : "0/0";
  expected["1017"] = "0/1060";
  expected["4250"] = expected["-5"] = "/";

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.ResultsById("DirectoryHealth.tsv"), expected);
  EXPECT_EQ(box.ResultsById("pages.tsv"), (Results{{"1003", "0/0"}}));
  EXPECT_THAT(Details("szMaxLoop"), ElementsAre("8", "3"));
  std::vector<std::string> pages(7, "20");
  pages.insert(pages.end(), {"19", "20", "20", "5"});
  EXPECT_EQ(Details("lNumOfElements"), pages);
  EXPECT_THAT(box.DailyLog("pages.tsv"), AllOf(HasSubstr("\tnetdiag.exe\t"), HasSubstr("\tgpotool.exe\t")));
  EXPECT_THAT(box.LogMessages(), Not(Contains(kTwelveHours)));  // the first run only sets the mark
  EXPECT_TRUE(std::regex_match(box.IniValue("LASTHRTIME"), kTimeStamp));
  EXPECT_EQ(box.LogMessages().back(), "Program exited Sucessfully.");
  ASSERT_THAT(box.StatusFiles(), SizeIs(1));
  EXPECT_THAT(ReadWholeFile(box.DevadEZ() + box.StatusFiles()[0]),
              HasSubstr("<status>0</status>\r\n<dbname>pages.tsv</dbname>"));

  // Connectivity fails, which clears the DNS failures netdiag finds.
  box.InstallTools("dns_failures");
  box.SetIniValue("LASTHRTIME", "2001-02-03 04:05:06");
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  expected["1003"] = "1/0";
  expected["3003"] = "0/0";
  EXPECT_EQ(box.ResultsById("DirectoryHealth.tsv"), expected);
  EXPECT_THAT(box.DailyLog("pages.tsv"),
              HasSubstr("\tnetdiag.exe\tDNS test . . . . . . . . . . . . . : Failed\t1"));
  EXPECT_THAT(box.LogMessages(), Contains(kTwelveHours));
  EXPECT_NE(box.IniValue("LASTHRTIME"), "2001-02-03 04:05:06");
}

// Version 6.1 skips netdiag, and another controller holds the PDC role. A
// database without records is opened, tested and closed: the next one opens.
TEST_F(Cycle, MixedReportOn61WithoutThePdcRole) {
  Prepare("6.1", "services_stopped");                                                 // dcdiag: 1035 and 1049
  box.SetToolOption("repadmin", "Report", "..\\replication_failures\\repadmin.txt");  // 1108
  box.SetToolOption("netdom", "Report", "..\\not_pdc\\netdom.txt");
  box.SetToolOption("netdiag", "Report", "..\\dns_failures\\netdiag.txt");  // not to be run
  box.SetToolOption("gpotool", "Report",
                    "..\\gpo_version_mismatch\\gpotool_gpo_{6AC1786C-016F-11D2-945F-00C04FB984F9}.txt");
  box.WriteDatabase("empty.tsv", {});
  box.WriteDatabase("mixed.tsv", RecordsOf({"1035", "1049", "1108", "1089", "1132", "1133", "3132", "3133",
                                            "1017", "3017", "3075"}));
  box.SetIniValue("LASTHRTIME", "not a time");  // counts as elapsed

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.ResultsById("mixed.tsv"), (Results{{"1035", "1/0"},
                                                   {"1049", "1/0"},
                                                   {"1108", "1/0"},
                                                   {"1089", "0/0"},
                                                   {"1132", "0/0"},
                                                   {"1133", "0/0"},
                                                   {"3132", "1/0"},
                                                   {"3133", "1/0"},
                                                   {"1017", "0/1060"},
                                                   {"3017", "1/0"},
                                                   {"3075", "1/0"}}));
  EXPECT_THAT(Details("szMaxLoop"), ElementsAre("0", "1"));
  EXPECT_THAT(Details("lNumOfElements"), ElementsAre("11"));
  EXPECT_THAT(Details("Cmd is Execute for 12 hr"), ElementsAre("0", "0", "0", "0", "1", "1", "1", "1"));
  EXPECT_THAT(box.DailyLog("mixed.tsv"), AllOf(Not(HasSubstr("netdiag.exe")), Not(HasSubstr("gpotool.exe"))));
  EXPECT_THAT(box.LogMessages(), Contains(kTwelveHours));
  EXPECT_TRUE(std::regex_match(box.IniValue("LASTHRTIME"), kTimeStamp));
  EXPECT_EQ(box.IniValue("STATUS"), "0");
}

// Not opened; a record that an update would grow past the component's line
// limit (its page refused when the update is made, the others written);
// read-only: each reports its first failure only, and the files not written
// keep their content. Then a component that cannot be created ends the run.
TEST_F(Cycle, ComponentFailuresAreReportedOncePerDatabaseAndLeaveTheFiles) {
  Prepare("6.3", "healthy");
  WriteWholeFile(box.DatabasesFolder() + "broken.tsv", "RecordKey\tFunctionID\r\n");
  std::vector<Record> grown = RecordsOf(std::vector<std::string>(45, "1003"));
  grown[0]["TestName"] = std::string(65506, 'x');
  box.WriteDatabase("grown.tsv", grown);
  box.WriteDatabase("readonly.tsv", RecordsOf({"1001", "3001"}));
  const std::string readOnly = box.DatabasesFolder() + "readonly.tsv";
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  std::map<std::string, std::string> files;
  for (const char* name : {"broken.tsv", "readonly.tsv"})
    files[name] = ReadWholeFile(box.DatabasesFolder() + name);

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  for (const auto& [name, content] : files)
    EXPECT_EQ(ReadWholeFile(box.DatabasesFolder() + name), content) << name;
  // The grown record's page is refused as a whole; the later pages are written.
  std::string grownResults;
  for (int record = 1; record <= 45; ++record) grownResults += record <= 20 ? "1003=/ " : "1003=0/0 ";
  EXPECT_EQ(box.Results("grown.tsv") + " ", grownResults);
  EXPECT_THAT(Details("szMaxLoop"), ElementsAre("3", "1"));
  EXPECT_THAT(Details("lNumOfElements"), ElementsAre("20", "20", "5", "2"));
  EXPECT_THAT(Details("NexUpdateRecords Failed"), SizeIs(1));
  EXPECT_THAT(Details("CloseDB Failed"), SizeIs(1));
  std::string reported;
  for (const std::string& file : box.StatusFiles()) reported += ReadWholeFile(box.DevadEZ() + file);
  EXPECT_THAT(reported,
              HasSubstr("[broken.tsv Unable to open the Database NexDBInterface.dll with errorcode "));
  EXPECT_THAT(reported, HasSubstr("[grown.tsv UpdateRecords Failed With ErrorCode is "));
  EXPECT_THAT(reported, HasSubstr("would be longer than 65536 bytes]]>"));
  EXPECT_THAT(reported, HasSubstr("[readonly.tsv CloseDb Failed With ErrorCode is "));
  EXPECT_THAT(box.StatusFiles(), SizeIs(3));
  EXPECT_EQ(box.IniValue("STATUS"), "2");  // not settled

  const std::string component = box.ProgramFolder() + "NexDBInterface.dll";
  std::filesystem::rename(component, component + ".aside");
  std::filesystem::copy_file(box.ProgramFolder() + "TalLogger.dll", component);  // no COM server
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages().back(), "CoCreateInstance Failed With Error Code  80040154.");
  EXPECT_EQ(box.IniValue("ERRORDESC"), box.LogMessages().back());
  std::filesystem::remove(component);
  std::filesystem::rename(component + ".aside", component);
}

// Pages in the forms of other makers' components (the stand-in hands them out
// when a test asks): arrays that start at 1, arrays of BSTRs or of numbers.
// Each record gets its own result, as with the component's own form. Arrays
// of another kind are a failed GetRecords, never an empty page.
TEST_F(Cycle, PagesInTheFormsOfOtherComponents) {
  Prepare("6.3", "sysvol_missing");
  std::vector<std::string> ids;
  for (int i = 0; i < 6; ++i) ids.insert(ids.end(), {"1001", "3001", "1003", "3003"});  // two pages
  box.WriteDatabase("a.tsv", RecordsOf(ids));
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  const std::string own = box.Results("a.tsv");
  ASSERT_EQ(own.substr(0, 36), "1001=1/0 3001=0/0 1003=0/0 3003=1/0 ");
  const std::string settings = box.ProgramFolder() + "NexDBInterface.ini";
  for (const char* form : {"ArrayLowerBound=1", "ArrayForm=Texts", "ArrayForm=Numbers\r\nArrayLowerBound=1",
                           "ArrayForm=Unexpected"}) {
    SCOPED_TRACE(form);
    WriteWholeFile(settings, std::string("[Test]\r\n") + form + "\r\n");
    box.WriteDatabase("a.tsv", RecordsOf(ids));
    std::filesystem::remove(box.ActivityLogPath());
    EXPECT_EQ(box.RunVelkor().exitCode, 1u);
    if (std::string(form) != "ArrayForm=Unexpected") {
      EXPECT_EQ(box.Results("a.tsv"), own);
      continue;
    }
    EXPECT_THAT(box.Results("a.tsv"), Not(HasSubstr("1/")));
    EXPECT_THAT(
        Details("Database Getrecords function failed"),
        ElementsAre("GetRecords handed out the row keys as a value of type 0x2009, not an array of texts",
                    HasSubstr("0x2009"), HasSubstr("0x2009")));
    EXPECT_EQ(
        box.IniValue("ERRORDESC"),
        "a.tsv GetRecords Failed With ErrorCode is GetRecords handed out the row keys as a value of type "
        "0x2009, not an array of texts");
  }
  std::filesystem::remove(settings);
}

}  // namespace
}  // namespace velkor::e2e
