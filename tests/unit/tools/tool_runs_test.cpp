// Tool runs turned into failure conditions (the full run's) and results (the
// quick run's), natively: the tools replay the sandbox's recorded reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "classify/tool_descriptors.h"
#include "support/fake_run_context.h"
#include "support/replayed_tools.h"
#include "support/slot_sets.h"
#include "tools/dispatcher.h"
#include "tools/quick_check.h"

namespace velkor {
namespace {

using ::testing::HasSubstr;
using testing::LoggedLine;
using testing::SlotRanges;
using testing::SlotsHolding;
using testing::Utf16;

class ToolRuns : public ::testing::Test {
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
  std::string DailyLog() const {
    std::ifstream log(setting.dailyResultLog, std::ios::binary);
    return {std::istreambuf_iterator<char>(log), {}};
  }

  const std::filesystem::path root_ = testing::OwnTempPath(
      "velkor_tool_runs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  testing::FakeRunContext ctx;
  testing::ReplayedTools tools{ctx};
  std::set<int> unrecognised;
  ToolRunSetting setting{tools, "", unrecognised};
  ConditionSlots status, errorCodes;
};

// Which conditions each recorded report flags, and the lines naming them: a missing keyword
// its tool's, a found detail its own function ID or else the current one, a keyword without
// a known detail its own with "Status =unknown error", the bindings line its own.
TEST_F(ToolRuns, EachReportFlagsItsFailureConditions) {
  const std::string net = "] value not found in the Command net with Parameters  share",
                    found = "] value found in the Command ";
  // clang-format off
  const std::tuple<const char*, int, std::set<int>, std::vector<std::string>> cases[] = {
      // NETLOGON is still shared, and its path names SYSVOL: the share is missing all the same.
      {"sysvol_share_gone", NetShare, {1}, {"[Netlogon" + found + "net with Parameters  share\n"
       "<----------------------Need to send a WebPost-------------------->\n"
       "[Sysvol" + net + " Condition ID = 1001 Function ID=1001\n[Sysvol" + net + "\n"}},
      // NetLogons' and frsevent's details have function IDs of their own; frssysvol has no known detail.
      {"sysvol_missing", DcDiag, {12, 53, 56}, {}},
      // "The host * could not be resolved" has no function ID: Connectivity's own is flagged.
      {"dns_failures", DcDiag, {3}, {}},
      {"dns_failures", NetDiag, {89, 91, 92}, {}},
      {"services_stopped", DcDiag, {35, 49},
       {"[NtFrs service is stopped" + found + "dcdiag.exe with Parameters  Condition ID = 1035 Function "
        "ID=1035 Status =1\n[NtFrs service is stopped] Subkeyword found in the File <report> \n",
        "[Dnscache service is stopped] Subkeyword not found in the command dcdiag.exe\n"}},
      // "A recent replication attempt failed:" and its detail have no function ID and fall
      // under Connectivity's; kccevent's detail has its own.
      {"replication_failures", DcDiag, {3, 116}, {}},
      {"replication_failures", RepAdmin, {108}, {}},
      {"replication_10_failures", RepAdmin, {}, {}},
      {"healthy", RepAdmin, {}, {}},  // no count: recognised by its partners' header
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
  const std::string log = DailyLog();
  EXPECT_EQ(log.find("#Fields:"), 0u);
  EXPECT_EQ(log.find("#Fields:", 1), std::string::npos);
  for (const char* entry :
       {"net\tNetlogon\t1", "net\tSysvol\t0", "dcdiag.exe\tfailed test Connectivity\t0",
        "dcdiag.exe\tNtFrs service is stopped\t1", "repadmin\t>10 Consectutive Failures\t0",
        "netdiag.exe\tDNS test . . . . . . . . . . . . . : Failed\t0", "gpotool.exe\tPolicy OK\t1"})
    EXPECT_THAT(log, HasSubstr("\t" + std::string(entry) + "\r\n"));
}

// A tool that cannot run or be searched: its error text in its conditions' error
// codes, nothing flagged (a failed detail search costs only its keyword).
TEST_F(ToolRuns, ToolThatCannotRunOrBeSearchedSpreadsItsErrorOverItsConditions) {
  tools.failing["netdiag"] = "2";
  EXPECT_EQ(Run(NetDiag), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "2"), SlotRanges({{80, 107}, {125, 131}, {134, 134}}));
  const std::string detail = "ExecuteEXE failed with error code 2 command is netdiag.exe";
  EXPECT_EQ(Logged(false), "ERROR|ExecuteEXE  Failed|" + detail + "\n");
  EXPECT_EQ(DailyLog(),
            "#Fields:\tDATE TIME\tFunction Name\tKEYWORD\tSTATUS\r\n2014-03-07 21:05:02\tnetdiag.exe\t" +
                detail + "\t0\r\n");

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
TEST_F(ToolRuns, ReportsAreRecognisedByTheReaderThatJudgesThem) {
  tools.printed["dcdiag"] = Utf16(testing::ReadSourceFile("sandbox/scenarios/wrapped_verdicts/dcdiag.txt"));
  EXPECT_EQ(Run(DcDiag), 1);
  EXPECT_EQ(SlotsHolding(status, "1"), (std::set<int>{18, 72}));

  tools.printed["repadmin"] = "******* 23 CONSECUTIVE FAILURES since 2016-11-10 09:13:49\r\n";
  EXPECT_EQ(Run(RepAdmin), 1);
  EXPECT_TRUE(status.IsFlagged(108));

  // Not recognised in UTF-16LE: code 13, the condition as it was (the end-to-end runs of
  // localized reports check its line and status).
  tools.printed["repadmin"] =
      Utf16(testing::ReadSourceFile("sandbox/scenarios/replication_failures/repadmin.txt"));
  EXPECT_EQ(Run(RepAdmin), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "13"), std::set<int>{108});
  EXPECT_TRUE(status.IsFlagged(108));  // as it was

  // A report that cannot be opened: the count's error code, slot 108 "0".
  tools.silent.insert("repadmin");
  ctx.lastError = 2;
  errorCodes = ConditionSlots();
  EXPECT_EQ(Run(RepAdmin), 1);
  EXPECT_TRUE(status.Holds(108, "0"));
  EXPECT_EQ(SlotsHolding(errorCodes, "2"), std::set<int>{108});
}

// The quick run of one database: what it submits for each recorded connectivity
// scenario, and what a tool that cannot run leaves out (the end-to-end quick runs
// add wrapped verdicts and an unrecognised report).
TEST_F(ToolRuns, QuickCheckSubmitsTheOutcomeOfEachRecordedScenario) {
  // Scenario, a tool that cannot be started, "FunctionID=Status/ErrorCode" in the order submitted.
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"healthy", "", "1001=0/0 3001=1/0 1003=0/0 3003=1/0"},
      // Neither share; the test failed without the detail phrase.
      {"connectivity_unresolved", "", "1001=1/0 3001=0/0 3003=0/0 0=0/0 1003=1/0"},
      // A tool that cannot run (net) submits nothing, and its error goes with no other tool's
      // results; the identity phrase: its detail under function ID 0.
      {"connectivity_identity", "net", "3003=0/0 0=1/0 1003=0/0"},
  };
  for (const auto& [scenario, failingTool, expected] : cases) {
    SCOPED_TRACE(scenario + " " + failingTool);
    tools.scenario = scenario;
    tools.failing = {{failingTool, "223"}};
    std::string submitted;
    unrecognised.clear();
    CheckDatabaseQuickly(
        ctx, tools,
        [&](const std::string& id, const std::string& result, const std::string& code) {
          submitted += (submitted.empty() ? "" : " ") + id + "=" + result + "/" + code;
        },
        2, unrecognised);
    EXPECT_EQ(submitted, expected);
  }
}

TEST(QuickCheck, RotationRunsOneToThreeAndStartsAgainOutsideZeroToTwo) {
  for (const auto& [stored, next] : {std::pair{0, 1}, {1, 2}, {2, 3}, {3, 1}, {5, 1}, {-1, 1}})
    EXPECT_EQ(NextRotation(stored), next) << stored;
}

}  // namespace
}  // namespace velkor
