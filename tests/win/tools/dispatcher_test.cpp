// One tool run turned into failure conditions: each tool kind against the
// sandbox's recorded reports, through the loaded parser library and the fake
// tools, with the slots, the activity lines and the daily result log.
#include "tools/dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fake_tools.h"
#include "report/daily_result_log.h"
#include "support/slot_sets.h"
#include "support/system_run_context.h"
#include "support/test_files.h"
#include "tools/tool_kinds.h"

namespace velkor {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::LoggedLine;
using testing::SlotRanges;
using testing::SlotsHolding;

constexpr char kWebPost[] = "<----------------------Need to send a WebPost-------------------->";

// Stand-ins for the parser library's search: one that always fails, and one
// that searches with the real library the first time only.
NexParseFileFn realParseFile = nullptr;
int searchesLeft = 0;

int WINAPI FailingParseFile(VARIANT*, VARIANT*, VARIANT*, VARIANT* result) {
  platform::Variant failure{std::string_view("5")};
  VariantClear(result);
  VariantCopy(result, failure.get());
  return 0;
}
int WINAPI ParseFileOnce(VARIANT* file, VARIANT* phrases, VARIANT* hits, VARIANT* result) {
  if (searchesLeft-- > 0) return realParseFile(file, phrases, hits, result);
  return FailingParseFile(file, phrases, hits, result);
}
// A stand-in for str_nexexecute whose tool prints `printedReport`.
std::string printedReport;
int WINAPI PrintingExecute(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT* outputFile,
                           VARIANT*, VARIANT* result) {
  testing::WriteWholeFile(platform::BstrToAnsi(V_BSTR(outputFile)), printedReport);
  VariantClear(result);
  return 1;
}
// A recorded report as a tool writing UTF-16LE prints it: a byte-order mark,
// each character in two bytes.
std::string Utf16Report(const std::string& scenario, const std::string& report) {
  std::string wide = "\xFF\xFE";
  for (const char c : testing::ReadWholeFile(testing::ScenarioFolder(scenario) + "\\" + report))
    wide += {c, '\0'};
  return wide;
}

class Dispatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tools.Loaded());
    ctx.InstallationPath = tools.Root();
    ctx.DatabaseName = "monitor.mdb";
    ctx.HostName = "DC01";
  }

  void UseScenario(const std::string& scenario) {
    tools.UseScenario(scenario, "DC01");
    SetDailyResultLogPath(ctx);
  }
  int Run(int kind) { return Run(kind, tools.Parser()); }
  int Run(int kind, const ParserEntryPoints& parser) {
    ctx.lines.clear();
    return CmdExecute(ctx, parser, errorCodes, kind, status);
  }

  // The details of the dispatcher's INFO lines, in order.
  std::vector<std::string> InfoLines() const {
    std::vector<std::string> details;
    for (const LoggedLine& line : ctx.lines) {
      if (line.module == "CmdExecute" && line.type == "INFO") {
        EXPECT_EQ(line.message, "");
        EXPECT_EQ(line.extra, "");
        details.push_back(line.detail);
      }
    }
    return details;
  }
  std::vector<LoggedLine> ErrorLines() const {
    std::vector<LoggedLine> errors;
    for (const LoggedLine& line : ctx.lines)
      if (line.module == "CmdExecute" && line.type != "INFO") errors.push_back(line);
    return errors;
  }
  // The daily result log's entries without their time stamps, "" for the header.
  std::vector<std::string> DailyEntries() const {
    std::istringstream log(testing::ReadWholeFile(ctx.DailyResultLogPath));
    std::vector<std::string> entries;
    for (std::string line; std::getline(log, line);) {
      EXPECT_EQ(line.back(), '\r') << "a line ends in CRLF";
      line.pop_back();
      if (line == "#Fields:\tDATE TIME\tFunction Name\tKEYWORD\tSTATUS") {
        entries.emplace_back();
        continue;
      }
      EXPECT_EQ(line.rfind("2014-03-07 21:05:02\t", 0), 0u) << line;
      entries.push_back(line.substr(line.find('\t') + 1));
    }
    return entries;
  }
  std::string Output() const { return ctx.ToolOutputPath; }

  testing::FakeTools tools{"C:\\velkor-dispatch\\"};
  testing::SystemRunContext ctx;
  ConditionSlots status;
  ConditionSlots errorCodes;
};

// Which conditions each recorded report flags. A found detail phrase with a
// function ID of its own flags that condition instead of its keyword's; one
// without keeps the function ID current at that moment.
TEST_F(Dispatcher, EachReportFlagsItsFailureConditions) {
  const struct {
    const char* scenario;
    int kind;
    std::set<int> flagged;
  } cases[] = {
      {"healthy", NetShare, {}},
      {"healthy", DcDiag, {}},
      {"healthy", NetDiag, {}},
      {"healthy", GpoDomainPolicy, {}},
      {"healthy", RepAdmin, {}},
      {"healthy", GpoDomainControllerPolicy, {}},
      {"sysvol_missing", NetShare, {1}},
      // NETLOGON is still shared, and its path names SYSVOL: the share is missing all the same.
      {"sysvol_share_gone", NetShare, {1}},
      {"sysvol_share_gone_narrow", NetShare, {1}},
      // NetLogons' and frsevent's details have function IDs of their own; frssysvol has no known detail.
      {"sysvol_missing", DcDiag, {12, 53, 56}},
      // "The host * could not be resolved" has no function ID: Connectivity's own is flagged.
      {"dns_failures", DcDiag, {3}},
      {"dns_failures", NetDiag, {89, 91, 92}},
      {"services_stopped", DcDiag, {35, 49}},
      // "A recent replication attempt failed:" and its detail have no function ID and fall
      // under Connectivity's; kccevent's detail has its own.
      {"replication_failures", DcDiag, {3, 116}},
      {"replication_failures", RepAdmin, {108}},
      {"replication_10_failures", RepAdmin, {}},
      {"gpo_version_mismatch", GpoDomainPolicy, {}},
      {"gpo_version_mismatch", GpoDomainControllerPolicy, {133}},
      // DC list (three equal details, none with a function ID), Kerberos's detail,
      // LDAP without a known detail, Bindings without any detail list.
      {"netdiag_failures", NetDiag, {99, 131, 104, 107}},
      // Verdicts wrapped at the console width: KnowsOfRoleHolders and FsmoCheck failed.
      {"wrapped_verdicts", DcDiag, {18, 72}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.scenario) + " kind " + std::to_string(c.kind));
    status = ConditionSlots();
    errorCodes = ConditionSlots();
    UseScenario(c.scenario);
    EXPECT_EQ(Run(c.kind), 1);
    EXPECT_EQ(SlotsHolding(status, "1"), c.flagged);
    EXPECT_EQ(SlotsHolding(status, "0").size() + c.flagged.size(), 200u);
    EXPECT_EQ(SlotsHolding(errorCodes, "0").size(), 200u);
    EXPECT_THAT(ErrorLines(), IsEmpty());
  }
}

// Every phrase looked for gets an entry, found (1) or not (0), in table order.
TEST_F(Dispatcher, HealthyControllerLogsEveryPhraseItLookedFor) {
  UseScenario("healthy");
  for (int kind = NetShare; kind <= GpoDomainControllerPolicy; ++kind) EXPECT_EQ(Run(kind), 1);
  std::vector<std::string> expected = {"", "net\t1", "net\t1"};
  expected.insert(expected.end(), 13, "dcdiag.exe\t0");
  expected.insert(expected.end(), 12, "netdiag.exe\t0");
  expected.insert(expected.end(), {"gpotool.exe\t1", "repadmin\t0", "gpotool.exe\t1"});
  std::vector<std::string> outcomes = DailyEntries();  // each entry without its phrase
  for (std::string& entry : outcomes)
    if (!entry.empty()) entry.erase(entry.find('\t'), entry.rfind('\t') - entry.find('\t'));
  EXPECT_THAT(outcomes, ElementsAreArray(expected));
  for (const char* entry : {"net\tSysvol\t1", "dcdiag.exe\tfailed test Connectivity\t0",
                            "repadmin\t>10 Consectutive Failures\t0"})
    EXPECT_THAT(DailyEntries(), Contains(entry));
  // The last run: the policy check found its line and nothing else is said.
  EXPECT_THAT(InfoLines(), ElementsAre("[Policy OK] value found in the Command gpotool.exe with Parameters "
                                       "  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}"));
  EXPECT_EQ(ctx.CurrentFunctionID, 1133);
}

TEST_F(Dispatcher, MissingShareIsAFailureEvenWhenItsNameStandsInAPath) {
  UseScenario("sysvol_share_gone");
  EXPECT_EQ(Run(NetShare), 1);
  EXPECT_THAT(
      InfoLines(),
      ElementsAre("[Netlogon] value found in the Command net with Parameters  share", kWebPost,
                  "[Sysvol] value not found in the Command net with Parameters  share Condition ID = 1001 "
                  "Function ID=1001",
                  "[Sysvol] value not found in the Command net with Parameters  share"));
  EXPECT_THAT(DailyEntries(), ElementsAre("", "net\tNetlogon\t1", "net\tSysvol\t0"));
}

// Each failure found names the condition it flags: a found detail's own, or
// the keyword's with "Status =unknown error" when no detail was found.
TEST_F(Dispatcher, FailureLinesNameTheConditionTheyFlag) {
  UseScenario("services_stopped");
  EXPECT_EQ(Run(DcDiag), 1);
  std::vector<std::string> lines = InfoLines();
  EXPECT_THAT(lines,
              Contains("[failed test Services] value found in the Command dcdiag.exe with Parameters "));
  EXPECT_THAT(lines,
              Contains("[NtFrs service is stopped] value found in the Command dcdiag.exe with Parameters  "
                       "Condition ID = 1035 Function ID=1035 Status =1"));
  EXPECT_THAT(lines, Contains("[NtFrs service is stopped] Subkeyword found in the File " + Output() + " "));
  EXPECT_THAT(lines,
              Contains("[Dnscache service is stopped] Subkeyword not found in the command dcdiag.exe"));
  EXPECT_THAT(DailyEntries(), Contains("dcdiag.exe\tNtFrs service is stopped\t1"));
  EXPECT_THAT(DailyEntries(), Contains("dcdiag.exe\tDnscache service is stopped\t0"));

  UseScenario("netdiag_failures");
  EXPECT_EQ(Run(NetDiag), 1);
  lines = InfoLines();
  EXPECT_THAT(
      lines,
      Contains("[LDAP test. . . . . . . . . . . . . : Failed] value found in the Command "
               "netdiag.exe with Parameters  Condition ID = 1104 Function ID=1104 Status =unknown error"));
  EXPECT_THAT(lines, Contains("[Bindings test. . . . . . . . . . . : Failed] value found in the Command "
                              "netdiag.exe with Parameters  Condition ID = 1107 Function ID=1107 Status =1"));
}

TEST_F(Dispatcher, ToolThatCannotRunSpreadsItsErrorOverItsConditions) {
  UseScenario("healthy");
  tools.Remove("netdiag");
  EXPECT_EQ(Run(NetDiag), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "2"), SlotRanges({{80, 107}, {125, 131}, {134, 134}}));
  EXPECT_EQ(SlotsHolding(status, "0").size(), 200u);
  const std::string detail = "ExecuteEXE failed with error code 2 command is netdiag.exe";
  EXPECT_THAT(ErrorLines(), ElementsAre(LoggedLine{"CmdExecute", "ERROR", "ExecuteEXE  Failed", detail, ""}));
  EXPECT_THAT(DailyEntries(), ElementsAre("", "netdiag.exe\t" + detail + "\t0"));
}

TEST_F(Dispatcher, ReportThatCannotBeSearchedLeavesTheConditionsUnflagged) {
  UseScenario("services_stopped");
  EXPECT_EQ(Run(DcDiag, {tools.Parser().execute, FailingParseFile}), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "5"), SlotRanges({{3, 79}, {109, 124}}));
  EXPECT_EQ(SlotsHolding(status, "0").size(), 200u);
  EXPECT_THAT(ErrorLines(),
              ElementsAre(LoggedLine{"CmdExecute", "ERROR", "ParseFromFile Failed",
                                     "ParseFromFile failed with error code 5 File name is " + Output(), ""}));
  EXPECT_THAT(InfoLines(), IsEmpty());

  // A failed detail search costs only that keyword: the next ones are still judged.
  errorCodes = ConditionSlots();
  UseScenario("replication_failures");
  realParseFile = tools.Parser().parseFile;
  searchesLeft = 2;  // the keywords and the replication attempt's details; kccevent's search fails
  EXPECT_EQ(Run(DcDiag, {tools.Parser().execute, ParseFileOnce}), 1);
  EXPECT_THAT(InfoLines(),
              Contains("ParseFromFile failed for Subkeys with error code 5 File name is " + Output()));
  EXPECT_EQ(SlotsHolding(status, "1"), std::set<int>{3});
  EXPECT_EQ(SlotsHolding(errorCodes, "5"), SlotRanges({{3, 79}, {109, 124}}));
}

TEST_F(Dispatcher, UnreadableReplicationReportLeavesItsErrorCode) {
  UseScenario("healthy");
  status.Set(108, "1");
  EXPECT_EQ(Run(RepAdmin, {testing::SilentExecute, nullptr}), 1);
  EXPECT_TRUE(status.Holds(108, "0"));
  EXPECT_EQ(SlotsHolding(errorCodes, "2"), std::set<int>{108});
  EXPECT_THAT(DailyEntries(), ElementsAre("", "repadmin\t>10 Consectutive Failures\t0"));
}

// A report is recognised by the reader that judges it: dcdiag's by the
// library's search, which reads UTF-16LE, repadmin's by the replication
// count, which reads plain text only and would count no failure in it.
TEST_F(Dispatcher, Utf16ReportIsRecognisedOnlyWhereItsReaderReadsIt) {
  UseScenario("healthy");
  printedReport = Utf16Report("services_stopped", "dcdiag.txt");
  EXPECT_EQ(Run(DcDiag, {PrintingExecute, tools.Parser().parseFile}), 1);
  EXPECT_EQ(SlotsHolding(status, "1"), (std::set<int>{35, 49}));
  EXPECT_THAT(ErrorLines(), IsEmpty());
  status = ConditionSlots();
  printedReport = Utf16Report("wrapped_verdicts", "dcdiag.txt");
  EXPECT_EQ(Run(DcDiag, {PrintingExecute, tools.Parser().parseFile}), 1);
  EXPECT_EQ(SlotsHolding(status, "1"), (std::set<int>{18, 72}));

  // A failure count found is a verdict, with or without the partners' header.
  printedReport = "******* 23 CONSECUTIVE FAILURES since 2016-11-10 09:13:49\r\n";
  EXPECT_EQ(Run(RepAdmin, {PrintingExecute, nullptr}), 1);
  EXPECT_TRUE(status.Holds(108, "1"));
  EXPECT_THAT(ErrorLines(), IsEmpty());
  status.Set(108, "0");

  printedReport = Utf16Report("replication_failures", "repadmin.txt");
  for (int run = 0; run < 2; ++run) EXPECT_EQ(Run(RepAdmin, {PrintingExecute, nullptr}), 0);
  EXPECT_EQ(SlotsHolding(errorCodes, "13"), std::set<int>{108});
  EXPECT_TRUE(status.Holds(108, "0"));
  EXPECT_THAT(ErrorLines(),
              ElementsAre(LoggedLine{"CmdExecute", "ERROR", "Report not recognised",
                                     "repadmin report not recognised (Errorcode=13): no verdict "
                                     "lines in " +
                                         Output() + "; a language other than English or a cut-off report",
                                     ""}));
  EXPECT_THAT(ctx.statuses, ElementsAre("repadmin report not recognised (Errorcode=13)"));  // once a run
  EXPECT_THAT(DailyEntries(), Contains("repadmin\trepadmin report not recognised (Errorcode=13)\t0"));
}

}  // namespace
}  // namespace velkor
