// What runs leave in the databases for the recorded scenarios: the full run
// (every database opened, the tools run once per database, every record
// written page by page, the twelve-hour mark) and the quick run
// ("Velkor.exe 1"); the component's failures and the reports Velkor cannot read.
#include <map>

#include "support/agent_test.h"
#include "support/com_server.h"

namespace velkor::e2e {
namespace {

using namespace ::testing;
using Runs = AgentTest;
using Results = std::map<std::string, std::string>;

// Version 5.2 runs netdiag; this host holds the PDC role, so the policy
// checks run. Healthy; then connectivity fails, which clears the DNS
// failures netdiag finds; then a Japanese repadmin (Shift-JIS, all partners
// replicating) and a German dcdiag, which are named once per run.
TEST_F(Runs, ControllerOn52WithThePdcRoleHealthyFailingAndLocalized) {
  OnVersion("5.2");
  const std::string source = velkor::testing::ScenarioFolder("..\\databases\\DirectoryHealth.tsv");
  WriteWholeFile(box.DatabasesFolder() + "DirectoryHealth.tsv", ReadWholeFile(source));
  // Failures "0", closings "1", the time service its error (no W32Time here);
  // IDs that select no slot are left as they were.
  Results expected = box.ResultsById("DirectoryHealth.tsv");
  for (auto& [id, result] : expected) result = id[0] == '3' ? "1/0" : "0/0";
  expected["1017"] = "0/1060";
  expected["4250"] = expected["-5"] = "/";
  box.WriteDatabase("pages.tsv", RecordsOf(std::vector<std::string>(45, "1003")));
  const auto run = [&](const std::string& scenario) {
    box.InstallTools(scenario);
    for (const std::string& output :
         {box.ActivityLogPath(), box.DevadEZ(), box.ProgramFolder() + "DataDirectory"})
      fs::remove_all(output);
    EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  };

  run("healthy");
  EXPECT_EQ(box.ResultsById("DirectoryHealth.tsv"), expected);
  EXPECT_EQ(box.ResultsById("pages.tsv"), (Results{{"1003", "0/0"}}));
  EXPECT_THAT(Details("szMaxLoop"), ElementsAre("8", "3"));
  std::vector<std::string> pages(7, "20");
  pages.insert(pages.end(), {"19", "20", "20", "5"});
  EXPECT_EQ(Details("lNumOfElements"), pages);
  EXPECT_THAT(box.DailyLog("pages.tsv"), AllOf(HasSubstr("\tnetdiag.exe\t"), HasSubstr("\tgpotool.exe\t")));
  EXPECT_THAT(box.LogMessages(), Not(Contains(kTwelveHours)));  // the first run only sets the mark
  EXPECT_TRUE(std::regex_match(box.IniValue("LASTHRTIME"), kTimeStamp));
  EXPECT_EQ(box.LogMessages().back(), kDone);
  ASSERT_THAT(box.StatusFiles(), SizeIs(1));
  EXPECT_THAT(ReadWholeFile(box.DevadEZ() + box.StatusFiles()[0]),
              HasSubstr("<status>0</status>\r\n<dbname>pages.tsv</dbname>"));

  box.SetIniValue("LASTHRTIME", "2001-02-03 04:05:06");
  run("dns_failures");
  expected["1003"] = "1/0";
  expected["3003"] = "0/0";
  EXPECT_EQ(box.ResultsById("DirectoryHealth.tsv"), expected);
  EXPECT_THAT(box.DailyLog("pages.tsv"),
              HasSubstr("\tnetdiag.exe\tDNS test . . . . . . . . . . . . . : Failed\t1"));
  EXPECT_THAT(box.LogMessages(), Contains(kTwelveHours));
  EXPECT_NE(box.IniValue("LASTHRTIME"), "2001-02-03 04:05:06");

  run("localized");
  // Every dcdiag condition and 1108 unmarked with "13"; the closings of
  // dcdiag's conditions closed with "13", never with "0".
  for (auto& [id, result] : expected) {
    const int n = std::atoi(id.c_str());
    if ((n >= 1003 && n <= 1079) || (n >= 1108 && n <= 1124)) result = "0/13";
  }
  for (const char* id : {"3003", "3075", "3029", "3019", "3020", "3021", "3022", "3023", "3024", "3122",
                         "3017", "3112", "3113"})
    expected[id] = "1/13";
  expected["1017"] = "0/1060";  // the time service's own code
  EXPECT_EQ(box.ResultsById("DirectoryHealth.tsv"), expected);
  EXPECT_EQ(box.ResultsById("pages.tsv"), (Results{{"1003", "0/13"}}));
  const auto unreadable = [&](const std::string& tool, const std::string& output) {
    return Unrecognised(tool) + ": no verdict lines in " + box.InstallationPath() +
           "nexagent\\ApplicationLog\\Velkor\\" + output +
           "; a language other than English or a cut-off report";
  };
  const std::string dcdiag = unreadable("dcdiag.exe", "VelkorTemp_DCDiag.txt");
  const std::string repadmin = unreadable("repadmin", "VelkorTemp_repadmin.txt");
  EXPECT_THAT(Details("Report not recognised"), ElementsAre(dcdiag, repadmin, dcdiag, repadmin));
  EXPECT_THAT(Reported(), ElementsAre(Unrecognised("dcdiag.exe"), Unrecognised("repadmin")));
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_THAT(box.DailyLog("DirectoryHealth.tsv"),
              AllOf(HasSubstr("\tdcdiag.exe\t" + Unrecognised("dcdiag.exe") + "\t0\r\n"),
                    HasSubstr("\trepadmin\t" + Unrecognised("repadmin") + "\t0\r\n"),
                    Not(HasSubstr("\tfailed test")), Not(HasSubstr("Consectutive")),
                    HasSubstr("\tnetdiag.exe\tDNS test . . . . . . . . . . . . . : Failed\t0\r\n")));
}

// Version 6.1 skips netdiag, and another controller holds the PDC role. A
// database without records is opened, tested and closed: the next one opens.
TEST_F(Runs, MixedReportOn61WithoutThePdcRole) {
  OnVersion("6.1");
  box.InstallTools("services_stopped");                                               // dcdiag: 1035 and 1049
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
  EXPECT_EQ(box.Results("mixed.tsv"),
            "1035=1/0 1049=1/0 1108=1/0 1089=0/0 1132=0/0 1133=0/0 3132=1/0 3133=1/0 1017=0/1060 3017=1/0 "
            "3075=1/0");
  EXPECT_THAT(Details("szMaxLoop"), ElementsAre("0", "1"));
  EXPECT_THAT(Details("Cmd is Execute for 12 hr"), ElementsAre("0", "0", "0", "0", "1", "1", "1", "1"));
  EXPECT_THAT(box.DailyLog("mixed.tsv"), AllOf(Not(HasSubstr("netdiag.exe")), Not(HasSubstr("gpotool.exe"))));
  EXPECT_THAT(box.LogMessages(), Contains(kTwelveHours));
  EXPECT_TRUE(std::regex_match(box.IniValue("LASTHRTIME"), kTimeStamp));
  EXPECT_EQ(box.IniValue("STATUS"), "0");
}

// Reports cut off after their header (dcdiag), a usage text (netdiag) and
// nothing (repadmin) are never taken for healthy ones. (Verdicts wrapped at
// the console width are read by the quick run below and the tool-run tests.)
TEST_F(Runs, OnlyWholeReportsAreRead) {
  OnVersion("5.2");
  box.InstallTools("incomplete_reports");
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001", "1003", "3003", "1088", "1108", "1132"}));
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0 1003=0/13 3003=1/13 1088=0/13 1108=0/13 1132=0/0");
  EXPECT_THAT(Reported(),
              ElementsAre(Unrecognised("dcdiag.exe"), Unrecognised("netdiag.exe"), Unrecognised("repadmin")));
}

// The quick run: the share listing and the connectivity test for every
// database, stored through the result component; 1088 is never touched. A
// failed connectivity test with its detail phrase is stored under function
// ID 0 (the record added once, then updated); reports it cannot read leave
// the connectivity conditions as they were and are reported once per run.
// Three outputs of each kind are kept in turn.
TEST_F(Runs, QuickRunResults) {
  std::vector<Record> records = RecordsOf({"1001", "3001", "1003", "3003"});
  records.push_back({{"RecordKey", "5"}, {"FunctionID", "1088"}, {"Status", "1"}, {"ErrorCode", "E9"}});
  for (const char* name : {"a.tsv", "b.tsv"}) box.WriteDatabase(name, records);
  box.SetIniValue("VALUE", "5", "LOG");  // outside 0 to 2: starts again at 1
  const std::string unreadable = Unrecognised("DcDiag.exe");
  const struct {
    std::string scenario, submitted, results, status;
  } kRows[] = {
      {"healthy", "1001|0|0 3001|1|0 1003|0|0 3003|1|0", "1001=0/0 3001=1/0 1003=0/0 3003=1/0 1088=1/E9",
       "<absent>"},
      {"wrapped_verdicts", "1001|0|0 3001|1|0 3003|0|0 0|0|0 1003|1|0",
       "1001=0/0 3001=1/0 1003=1/0 3003=0/0 1088=1/E9 0=0/0", "<absent>"},
      {"connectivity_unresolved", "1001|1|0 3001|0|0 3003|0|0 0|0|0 1003|1|0",
       "1001=1/0 3001=0/0 1003=1/0 3003=0/0 1088=1/E9 0=0/0", "<absent>"},
      // NETLOGON listed (its path names SYSVOL), SYSVOL not; the identity phrase present.
      {"connectivity_identity", "1001|1|0 3001|0|0 3003|0|0 0|1|0 1003|0|0",
       "1001=1/0 3001=0/0 1003=0/0 3003=0/0 1088=1/E9 0=1/0", "<absent>"},
      {"incomplete_reports", "1001|0|0 3001|1|0", "1001=0/0 3001=1/0 1003=0/0 3003=0/0 1088=1/E9 0=1/0",
       unreadable},
      {"localized", "1001|0|0 3001|1|0", "1001=0/0 3001=1/0 1003=0/0 3003=0/0 1088=1/E9 0=1/0", unreadable},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.scenario);
    box.InstallTools(row.scenario);
    fs::remove(box.ActivityLogPath());
    EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
    std::string submitted;
    for (const std::string& line :
         Lines("SETMONRESULTS SUCCESSFULLY UPDATED WITH TESTID STATUS AND ERRORCODE "))
      submitted += line + " ";
    EXPECT_EQ(submitted, row.submitted + " " + row.submitted + " ");
    EXPECT_EQ(box.Results("a.tsv"), row.results);
    EXPECT_EQ(box.Results("b.tsv"), row.results);
    EXPECT_EQ(box.IniValue("ERRORDESC"), row.status);
    EXPECT_EQ(box.LogMessages().back(), kDone);
  }
  const Record added = box.ReadDatabase("a.tsv").back();
  EXPECT_EQ(added.at("RecordKey") + added.at("GroupID") + added.at("TestID"), "600");
  EXPECT_THAT(Reported(), ElementsAre(unreadable));  // once: the second is no news
  EXPECT_EQ(box.IniValue("VALUE", "LOG"), "3");
  std::string outputs;
  for (const std::string& file : box.AllFiles())
    if (const auto name = fs::path(file).stem().string(); name.starts_with("VelkorTemp_"))
      outputs += name.substr(11) + " ";
  EXPECT_EQ(outputs,
            "DcDiag_testConnectivity1 DcDiag_testConnectivity2 DcDiag_testConnectivity3 NetShare1 NetShare2 "
            "NetShare3 ");
}

// A share listing past the parser library's output cap cannot run, a
// read-only database rejects what is submitted, the databases cannot be
// listed: each is logged and the quick run goes on.
TEST_F(Runs, QuickRunFailuresAreLoggedAndTheRunGoesOn) {
  box.InstallTools("connectivity_identity");
  WriteWholeFile(box.ProgramFolder() + "NexParser.ini", "[Execute]\r\nMaxOutputMegabytes=1\r\n");
  box.SetToolOption("net", "FloodBytes", "1100000");
  for (const char* name : {"a.tsv", "b.tsv"})
    box.WriteDatabase(name, RecordsOf({"1001", "3001", "1003", "3003"}));
  const std::string readOnly = box.DatabasesFolder() + "a.tsv";
  const std::string before = ReadWholeFile(readOnly);
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadWholeFile(readOnly), before);
  EXPECT_THAT(Lines("SETMONRESULTS FAILED TO UPDATE STATUS AND ERROR "),
              ElementsAre(StartsWith("|3003|cannot replace " + readOnly), StartsWith("|0|cannot replace "),
                          StartsWith("|1003|cannot replace ")));
  EXPECT_THAT(Lines("INFO"),
              Contains("ExecuteEXE Failed with Status 0 Exe name is and Errorcode|Net|223").Times(2));
  // Nothing for the share listing; the connectivity results carry none of its error text.
  EXPECT_EQ(box.Results("b.tsv"), "1001=/ 3001=/ 1003=0/0 3003=0/0 0=1/0");
  EXPECT_EQ(box.LogMessages().back(), kDone);

  fs::rename(box.DatabasesFolder(), box.InstallationPath() + "aside");
  WriteWholeFile(box.InstallationPath() + "Nexagent\\Config\\Databases", "not a folder");
  fs::remove(box.ActivityLogPath());
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_THAT(Lines("ERROR"), ElementsAre(StartsWith("GetDBPaths Failed||cannot list ")));
  EXPECT_EQ(box.LogMessages().back(), kDone);
}

// Not opened; a record that an update would grow past the component's line
// limit (its page refused, the others written); read-only: each reports its
// first failure only, and the files not written keep their content.
TEST_F(Runs, ComponentFailuresAreReportedOncePerDatabaseAndLeaveTheFiles) {
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
  std::string grownResults;
  for (int record = 1; record <= 45; ++record) grownResults += record <= 20 ? "1003=/ " : "1003=0/0 ";
  EXPECT_EQ(box.Results("grown.tsv") + " ", grownResults);
  EXPECT_THAT(Details("lNumOfElements"), ElementsAre("20", "20", "5", "2"));
  EXPECT_THAT(
      Reported(),
      ElementsAre(StartsWith("broken.tsv Unable to open the Database NexDBInterface.dll with errorcode "),
                  AllOf(StartsWith("grown.tsv UpdateRecords Failed With ErrorCode is "),
                        HasSubstr("would be longer than 65536 bytes")),
                  StartsWith("readonly.tsv CloseDb Failed With ErrorCode is ")));
  EXPECT_EQ(box.IniValue("STATUS"), "2");  // not settled

  // No result component: the full run and the quick run end with 0, the databases untouched.
  const std::string results = box.Results("readonly.tsv");
  ASSERT_EQ(velkor::testing::SelfRegister(box.ProgramFolder() + "NexDBInterface.dll", true), S_OK);
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"1"}, {}}) {
    EXPECT_EQ(box.RunVelkor(arguments).exitCode, 0u);
    EXPECT_EQ(box.LogMessages().back(), "CoCreateInstance Failed With Error Code  80040154.");
    EXPECT_EQ(box.Results("readonly.tsv"), results);
  }
  EXPECT_EQ(box.IniValue("ERRORDESC"), box.LogMessages().back());
}

// Pages in the forms of other makers' components (the stand-in hands them out
// when a test asks): arrays that start at 1, of BSTRs or of numbers, each
// record its own result as in the component's own form. Arrays of another
// kind are a failed GetRecords, never an empty page.
TEST_F(Runs, PagesInTheFormsOfOtherComponents) {
  box.InstallTools("sysvol_missing");
  std::vector<std::string> ids;
  for (int i = 0; i < 6; ++i) ids.insert(ids.end(), {"1001", "3001", "1003", "3003"});  // two pages
  const std::string own = "1001=1/0 3001=0/0 1003=0/0 3003=1/0";
  const std::string settings = box.ProgramFolder() + "NexDBInterface.ini";
  for (const char* form :
       {"", "ArrayLowerBound=1", "ArrayForm=Texts", "ArrayForm=Numbers\r\nArrayLowerBound=1"}) {
    WriteWholeFile(settings, std::string("[Test]\r\n") + form + "\r\n");
    box.WriteDatabase("a.tsv", RecordsOf(ids));
    EXPECT_EQ(box.RunVelkor().exitCode, 1u);
    EXPECT_EQ(box.Results("a.tsv"), own + " " + own + " " + own + " " + own + " " + own + " " + own) << form;
  }
  WriteWholeFile(settings, "[Test]\r\nArrayForm=Unexpected\r\n");
  box.WriteDatabase("a.tsv", RecordsOf(ids));
  fs::remove(box.ActivityLogPath());
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_THAT(box.Results("a.tsv"), Not(HasSubstr("1/")));
  const std::string failure =
      "GetRecords handed out the row keys as a value of type 0x2009, not an array of texts";
  EXPECT_THAT(Details("Database Getrecords function failed"),
              ElementsAre(failure, HasSubstr("0x2009"), HasSubstr("0x2009")));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "a.tsv GetRecords Failed With ErrorCode is " + failure);
}

}  // namespace
}  // namespace velkor::e2e
