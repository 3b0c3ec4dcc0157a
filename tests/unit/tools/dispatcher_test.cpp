// One tool run turned into failure conditions, natively: the tools replay the
// sandbox's recorded reports and are searched with the plain reference
// search behind the evaluation's seam.
#include "tools/dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "classify/tool_descriptors.h"
#include "support/fake_run_context.h"
#include "support/replayed_tools.h"
#include "support/slot_sets.h"

namespace velkor {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::LoggedLine;
using testing::SlotRanges;
using testing::SlotsHolding;
using testing::Utf16;

class Dispatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    ctx.InstallationPath = root_.string() + "/";
    setting.dailyResultLog = (root_ / "daily.Log").string();
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  int Run(int kind) {
    ctx.lines.clear();
    return CmdExecute(ctx, setting, errorCodes, kind, status);
  }
  // The details of the run's INFO lines, or "type|message|detail" of its other
  // lines, one a line, the report's path as "<report>".
  std::string Logged(bool info) const {
    std::string text;
    for (const LoggedLine& l : ctx.lines)
      if ((l.type == "INFO") == info) text += (info ? "" : l.type + "|" + l.message + "|") + l.detail + "\n";
    for (std::size_t at; (at = text.find(ctx.ToolOutputPath)) != std::string::npos;)
      text.replace(at, ctx.ToolOutputPath.size(), "<report>");
    return text;
  }
  // The daily result log's entries without their time stamps, "" for the header.
  std::vector<std::string> DailyEntries() const {
    std::ifstream log(setting.dailyResultLog, std::ios::binary);
    std::vector<std::string> entries;
    for (std::string line; std::getline(log, line);) {
      EXPECT_TRUE(line.ends_with('\r'));
      line.pop_back();
      entries.push_back(line.starts_with("#Fields:") ? "" : line.substr(line.find('\t') + 1));
    }
    return entries;
  }

  const std::filesystem::path root_ =
      std::filesystem::temp_directory_path() /
      ("velkor_dispatch_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  testing::FakeRunContext ctx;
  testing::ReplayedTools tools{ctx};
  std::set<int> unrecognised;
  ToolRunSetting setting{tools, "", unrecognised};
  ConditionSlots status, errorCodes;
};

// Which conditions each recorded report flags, and the lines naming them: a
// missing keyword its tool's condition, a found detail phrase with a function
// ID of its own that one, one without the function ID current at that moment,
// a keyword without a known detail its own with "Status =unknown error", the
// bindings line without any detail list its own.
TEST_F(Dispatcher, EachReportFlagsItsFailureConditions) {
  const std::string net = "] value not found in the Command net with Parameters  share",
                    found = "] value found in the Command ";
  // clang-format off
  const std::tuple<const char*, int, std::set<int>, std::vector<std::string>> cases[] = {
      {"sysvol_missing", NetShare, {1}, {}},
      // NETLOGON is still shared, and its path names SYSVOL: the share is missing all the same.
      {"sysvol_share_gone", NetShare, {1}, {"[Netlogon" + found + "net with Parameters  share\n"
       "<----------------------Need to send a WebPost-------------------->\n"
       "[Sysvol" + net + " Condition ID = 1001 Function ID=1001\n[Sysvol" + net + "\n"}},
      {"sysvol_share_gone_narrow", NetShare, {1}, {}},
      // NetLogons' and frsevent's details have function IDs of their own; frssysvol has no known detail.
      {"sysvol_missing", DcDiag, {12, 53, 56}, {}},
      // "The host * could not be resolved" has no function ID: Connectivity's own is flagged.
      {"dns_failures", DcDiag, {3}, {}},
      {"dns_failures", NetDiag, {89, 91, 92}, {}},
      {"services_stopped", DcDiag, {35, 49},
       {"[NtFrs service is stopped" + found + "dcdiag.exe with Parameters  Condition ID = 1035 Function ID=1035 "
        "Status =1\n[NtFrs service is stopped] Subkeyword found in the File <report> \n",
        "[Dnscache service is stopped] Subkeyword not found in the command dcdiag.exe\n"}},
      // "A recent replication attempt failed:" and its detail have no function ID and fall
      // under Connectivity's; kccevent's detail has its own.
      {"replication_failures", DcDiag, {3, 116}, {}},
      {"replication_failures", RepAdmin, {108}, {}},
      {"replication_10_failures", RepAdmin, {}, {}},
      {"gpo_version_mismatch", GpoDomainPolicy, {}, {"[Policy OK" + found +
       "gpotool.exe with Parameters  /gpo:{31B2F340-016D-11D2-945F-00C04FB984F9}\n"}},
      {"gpo_version_mismatch", GpoDomainControllerPolicy, {133}, {}},
      // DC list (three equal details, none with a function ID), Kerberos's detail,
      // LDAP without a known detail, Bindings without any detail list.
      {"netdiag_failures", NetDiag, {99, 131, 104, 107},
       {"[LDAP test. . . . . . . . . . . . . : Failed" + found + "netdiag.exe with Parameters  "
        "Condition ID = 1104 Function ID=1104 Status =unknown error\n",
        "[Bindings test. . . . . . . . . . . : Failed" + found + "netdiag.exe with Parameters  "
        "Condition ID = 1107 Function ID=1107 Status =1\n"}},
      // Verdicts wrapped at the console width: KnowsOfRoleHolders and FsmoCheck failed.
      {"wrapped_verdicts", DcDiag, {18, 72}, {}},
  };
  // clang-format on
  for (const auto& [scenario, kind, flagged, lines] : cases) {
    SCOPED_TRACE(std::string(scenario) + " kind " + std::to_string(kind));
    status = errorCodes = ConditionSlots();
    tools.scenario = scenario;
    EXPECT_EQ(Run(kind), 1);
    EXPECT_EQ(SlotsHolding(status, "1"), flagged);
    EXPECT_EQ(SlotsHolding(errorCodes, "0").size(), 200u);
    EXPECT_EQ(Logged(false), "");
    for (const std::string& line : lines) EXPECT_THAT(Logged(true), HasSubstr(line));
  }
  // Every phrase looked for has its entry, found (1) or not (0), below the field line.
  const std::vector<std::string> entries = DailyEntries();
  EXPECT_EQ(std::count(entries.begin(), entries.end(), ""), 1);
  EXPECT_EQ(entries.front(), "");
  for (const char* entry :
       {"net\tNetlogon\t1", "net\tSysvol\t0", "dcdiag.exe\tfailed test Connectivity\t0",
        "dcdiag.exe\tNtFrs service is stopped\t1", "repadmin\t>10 Consectutive Failures\t0",
        "netdiag.exe\tDNS test . . . . . . . . . . . . . : Failed\t0", "gpotool.exe\tPolicy OK\t1"})
    EXPECT_THAT(entries, Contains(entry));
}

// A tool that cannot run, a report that cannot be searched, a detail search
// that fails: the tool's error text in its conditions' error codes, nothing
// flagged (a failed detail search costs only its keyword).
TEST_F(Dispatcher, ToolThatCannotRunOrBeSearchedSpreadsItsErrorOverItsConditions) {
  tools.failing["netdiag"] = "2";
  EXPECT_EQ(Run(NetDiag), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "2"), SlotRanges({{80, 107}, {125, 131}, {134, 134}}));
  const std::string detail = "ExecuteEXE failed with error code 2 command is netdiag.exe";
  EXPECT_EQ(Logged(false), "ERROR|ExecuteEXE  Failed|" + detail + "\n");
  EXPECT_THAT(DailyEntries(), ElementsAre("", "netdiag.exe\t" + detail + "\t0"));

  tools.scenario = "services_stopped";
  tools.searchesLeft = 0;
  EXPECT_EQ(Run(DcDiag), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "5"), SlotRanges({{3, 79}, {109, 124}}));
  EXPECT_EQ(Logged(false),
            "ERROR|ParseFromFile Failed|ParseFromFile failed with error code 5 File name is <report>\n");
  EXPECT_EQ(SlotsHolding(status, "1"), std::set<int>{});

  tools.scenario = "replication_failures";
  tools.searchesLeft = 2;  // the keywords and the replication attempt's details; kccevent's search fails
  EXPECT_EQ(Run(DcDiag), 1);
  EXPECT_THAT(Logged(true),
              HasSubstr("ParseFromFile failed for Subkeys with error code 5 File name is <report>\n"));
  EXPECT_EQ(SlotsHolding(status, "1"), std::set<int>{3});
}

// A report is recognised by the reader that judges it: dcdiag's by the
// search, which reads UTF-16LE, repadmin's by the replication count, which
// reads single-byte text only; a count found is a verdict without the
// partners' header; an unreadable count leaves its error code.
TEST_F(Dispatcher, ReportsAreRecognisedByTheReaderThatJudgesThem) {
  tools.printed["dcdiag"] = Utf16(testing::ReadSourceFile("sandbox/scenarios/wrapped_verdicts/dcdiag.txt"));
  EXPECT_EQ(Run(DcDiag), 1);
  EXPECT_EQ(SlotsHolding(status, "1"), (std::set<int>{18, 72}));

  tools.printed["repadmin"] = "******* 23 CONSECUTIVE FAILURES since 2016-11-10 09:13:49\r\n";
  EXPECT_EQ(Run(RepAdmin), 1);
  EXPECT_TRUE(status.IsFlagged(108));

  tools.printed["repadmin"] =
      Utf16(testing::ReadSourceFile("sandbox/scenarios/replication_failures/repadmin.txt"));
  for (int run = 0; run < 2; ++run) EXPECT_EQ(Run(RepAdmin), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "13"), std::set<int>{108});
  EXPECT_TRUE(status.IsFlagged(108));  // as it was
  const std::string notRecognised = "repadmin report not recognised (Errorcode=13)";
  EXPECT_EQ(Logged(false),
            "ERROR|Report not recognised|" + notRecognised +
                ": no verdict lines in <report>; a language other than English or a cut-off report\n");
  EXPECT_THAT(ctx.statuses, ElementsAre(notRecognised));  // once a run
  EXPECT_THAT(DailyEntries(), Contains("repadmin\t" + notRecognised + "\t0"));

  // A report that cannot be opened: the count's error code, slot 108 "0".
  tools.silent.insert("repadmin");
  ctx.lastError = 2;
  errorCodes = ConditionSlots();
  EXPECT_EQ(Run(RepAdmin), 1);
  EXPECT_TRUE(status.Holds(108, "0"));
  EXPECT_EQ(SlotsHolding(errorCodes, "2"), std::set<int>{108});
}

}  // namespace
}  // namespace velkor
