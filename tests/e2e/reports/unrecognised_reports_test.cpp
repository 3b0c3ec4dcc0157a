// Reports Velkor cannot read (another language, cut off, empty, a usage
// text) through the full run and the quick run: never taken for healthy
// ones, their tool named in the records' error codes, the activity log and
// the status file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;
using Results = std::map<std::string, std::string>;

std::string Unrecognised(const std::string& tool) { return tool + " report not recognised (Errorcode=13)"; }

class Reports : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    HostSetup host;
    host.osVersion = "5.2";  // netdiag runs
    host.uninstallDisplayName = "Windows Support Tools";
    box.PrepareHost(host);
  }
  void WriteDatabase(const std::string& name, const std::vector<std::string>& ids) const {
    std::vector<Record> records;
    for (const std::string& id : ids)
      records.push_back({{"RecordKey", std::to_string(records.size() + 1)}, {"FunctionID", id}});
    box.WriteDatabase(name, records);
  }
  // module|detail of the lines that say a report was not recognised.
  std::vector<std::string> UnrecognisedLines() const {
    std::vector<std::string> lines;
    for (const LogEntry& e : box.LogEntries())
      if (e.type == "ERROR" && e.message == "Report not recognised")
        lines.push_back(e.module + "|" + e.detail);
    return lines;
  }
  std::string Line(const std::string& module, const std::string& tool, const std::string& output) const {
    return module + "|" + Unrecognised(tool) + ": no verdict lines in " + box.InstallationPath() +
           "nexagent\\ApplicationLog\\Velkor\\" + output +
           "; a language other than English or a cut-off report";
  }
  // The description each status file carries, oldest first.
  std::vector<std::string> Reported() const {
    std::vector<std::string> descriptions;
    for (const std::string& file : box.StatusFiles()) {
      const std::string text = ReadWholeFile(box.DevadEZ() + file);
      const std::size_t from = text.find("<edesc><![CDATA[") + 16;
      descriptions.push_back(text.substr(from, text.find("]]>", from) - from));
    }
    return descriptions;
  }
  // The function IDs the quick run handed to the result component.
  std::vector<std::string> Submitted() const {
    std::vector<std::string> ids;
    for (const LogEntry& e : box.LogEntries())
      if (e.type == "SETMONRESULTS SUCCESSFULLY UPDATED WITH TESTID STATUS AND ERRORCODE ")
        ids.push_back(e.message);
    return ids;
  }
  Sandbox box;
};

// A Japanese repadmin (Shift-JIS, all partners replicating) and a German
// dcdiag on two databases; netdiag, the share listing and the policy checks
// report in English as before.
TEST_F(Reports, LocalizedReportsLeaveErrorCode13AndNameTheirToolOncePerRun) {
  box.InstallTools("localized");
  std::string source =
      std::string("Z:") + std::getenv("VELKOR_SOURCE_DIR") + "/sandbox/databases/DirectoryHealth.tsv";
  std::replace(source.begin(), source.end(), '/', '\\');
  WriteWholeFile(box.DatabasesFolder() + "DirectoryHealth.tsv", ReadWholeFile(source));
  WriteDatabase("branch.tsv", {"1001", "3001", "1003", "3003", "1108"});
  // Every dcdiag condition and 1108 unmarked with "13"; closings of dcdiag's
  // conditions closed with "13", never with "0".
  Results expected = box.ResultsById("DirectoryHealth.tsv");
  for (auto& [id, result] : expected) {
    const int n = std::atoi(id.c_str());
    const bool unread = (n >= 1003 && n <= 1079) || (n >= 1109 && n <= 1124) || n == 1108;
    result = id[0] == '3' ? "1/0" : unread ? "0/13" : "0/0";
  }
  for (const char* id : {"3003", "3075", "3029", "3019", "3020", "3021", "3022", "3023", "3024", "3122",
                         "3017", "3112", "3113"})
    expected[id] = "1/13";
  expected["1017"] = "0/1060";  // the time service's own code: no W32Time here
  expected["4250"] = expected["-5"] = "/";

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.ResultsById("DirectoryHealth.tsv"), expected);
  EXPECT_EQ(
      box.ResultsById("branch.tsv"),
      (Results{{"1001", "0/0"}, {"3001", "1/0"}, {"1003", "0/13"}, {"3003", "1/13"}, {"1108", "0/13"}}));
  const std::string dcdiag = Line("CmdExecute", "dcdiag.exe", "VelkorTemp_DCDiag.txt");
  const std::string repadmin = Line("CmdExecute", "repadmin", "VelkorTemp_repadmin.txt");
  EXPECT_THAT(UnrecognisedLines(), ElementsAre(dcdiag, repadmin, dcdiag, repadmin));
  // Each tool's status once a run: two files, not one per database.
  EXPECT_THAT(Reported(), ElementsAre(Unrecognised("dcdiag.exe"), Unrecognised("repadmin")));
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_THAT(box.DailyLog("DirectoryHealth.tsv"),
              AllOf(HasSubstr("\tdcdiag.exe\t" + Unrecognised("dcdiag.exe") + "\t0\r\n"),
                    HasSubstr("\trepadmin\t" + Unrecognised("repadmin") + "\t0\r\n"),
                    Not(HasSubstr("\tfailed test")), Not(HasSubstr("Consectutive")),
                    HasSubstr("\tnetdiag.exe\tDNS test . . . . . . . . . . . . . : Failed\t0\r\n")));

  // The German connectivity test: the share listing is submitted, the
  // connectivity conditions keep what the full run gave them.
  std::filesystem::remove(box.ActivityLogPath());
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_THAT(Submitted(), ElementsAre("1001", "3001", "1001", "3001"));
  EXPECT_EQ(
      box.ResultsById("branch.tsv"),
      (Results{{"1001", "0/0"}, {"3001", "1/0"}, {"1003", "0/13"}, {"3003", "1/13"}, {"1108", "0/13"}}));
  EXPECT_THAT(UnrecognisedLines(),
              ElementsAre(Line("SetMonIDStatus", "DcDiag.exe", "VelkorTemp_DcDiag_testConnectivity1.txt"),
                          Line("SetMonIDStatus", "DcDiag.exe", "VelkorTemp_DcDiag_testConnectivity2.txt")));
  EXPECT_THAT(Reported(), SizeIs(3));
  EXPECT_EQ(box.IniValue("ERRORDESC"), Unrecognised("DcDiag.exe"));
}

// dcdiag cut off after its header, netdiag printing its usage, repadmin
// printing nothing; the connectivity test printing dcdiag's usage.
TEST_F(Reports, CutOffEmptyAndUsageReportsAreNotRecognised) {
  box.InstallTools("incomplete_reports");
  WriteDatabase("a.tsv", {"1001", "3001", "1003", "3003", "1088", "1108", "1132"});

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.ResultsById("a.tsv"), (Results{{"1001", "0/0"},
                                               {"3001", "1/0"},
                                               {"1003", "0/13"},
                                               {"3003", "1/13"},
                                               {"1088", "0/13"},
                                               {"1108", "0/13"},
                                               {"1132", "0/0"}}));
  EXPECT_THAT(Reported(),
              ElementsAre(Unrecognised("dcdiag.exe"), Unrecognised("netdiag.exe"), Unrecognised("repadmin")));

  std::filesystem::remove(box.ActivityLogPath());
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_THAT(Submitted(), ElementsAre("1001", "3001"));
  EXPECT_EQ(box.ResultsById("a.tsv").at("1003"), "0/13");
  EXPECT_THAT(Reported(), SizeIs(4));
  EXPECT_EQ(box.IniValue("ERRORDESC"), Unrecognised("DcDiag.exe"));
}

// dcdiag's verdicts wrapped at the console width by a long DC name and a long
// domain name, in the full run's report and in the connectivity test's.
TEST_F(Reports, WrappedVerdictsAreRead) {
  box.InstallTools("wrapped_verdicts");
  WriteDatabase("a.tsv", {"1003", "3003", "1018", "1072"});

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.ResultsById("a.tsv"),
            (Results{{"1003", "0/0"}, {"3003", "1/0"}, {"1018", "1/0"}, {"1072", "1/0"}}));
  EXPECT_THAT(box.DailyLog("a.tsv"), AllOf(HasSubstr("\tdcdiag.exe\tfailed test KnowsOfRoleHolders\t1\r\n"),
                                           HasSubstr("\tdcdiag.exe\tfailed test FsmoCheck\t1\r\n")));

  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_EQ(box.ResultsById("a.tsv"), (Results{{"1001", "0/0"},
                                               {"3001", "1/0"},
                                               {"1003", "1/0"},
                                               {"3003", "0/0"},
                                               {"1018", "1/0"},
                                               {"1072", "1/0"},
                                               {"0", "0/0"}}));
}

}  // namespace
}  // namespace velkor::e2e
