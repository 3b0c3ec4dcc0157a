#include "app/full_run.h"

#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "app/startup.h"
#include "classify/tool_descriptors.h"
#include "core/text.h"
#include "core/text_limits.h"
#include "core/time_stamp.h"
#include "hostchecks/time_service.h"
#include "platform/com.h"
#include "platform/ini.h"
#include "report/daily_result_log.h"
#include "results/database_component.h"
#include "results/evaluation_rules.h"
#include "results/test_records.h"
#include "tools/dispatcher.h"
#include "tools/pdc_role.h"
#include "tools/tool_runner.h"

namespace velkor {
namespace {

constexpr std::string_view kModule = "WinMain";
constexpr char kScheduleSection[] = "VELKOR";
constexpr char kScheduleKey[] = "LASTHRTIME";
constexpr std::size_t kScheduleBuffer = 128;
constexpr std::size_t kOpenFailureText = 1023;

// A page whose GetRecords fails is asked for again at most twice (three
// requests in all); then the database's pages are given up and it is closed.
// The requests follow each other at once, so a repeat helps only against a
// passing failure (a file the agent holds for a moment), while a component
// whose reading is broken fails every repeat (the stand-in ends its session
// on a failed read). Without a bound such a component would hold the run in
// this loop until the next scheduled run ends it as an earlier instance, the
// database never closed and the run never settled; each failure writes an
// activity line, so the bound is kept small.
constexpr int kGetRecordsRepeats = 2;

void Info(WinRunContext& ctx, std::string_view message, std::string_view detail = "",
          std::string_view extra = "") {
  ctx.LogActivity(kModule, "Info", message, detail, extra);
}

// A failure of a component call that goes on: its text becomes LastErrorText
// and the ERROR line's extra field.
void LogCallFailure(WinRunContext& ctx, std::string_view message, const std::string& errorText) {
  ctx.LastErrorText = Bounded(errorText, limits::kLastErrorText);
  ctx.LogActivity(kModule, "ERROR", message, "", ctx.LastErrorText);
}

[[noreturn]] void ComponentNotCreated(WinRunContext& ctx, HRESULT hr) {
  char text[64];
  (void)std::snprintf(text, sizeof text, "CoCreateInstance Failed With Error Code  %08x.",
                      static_cast<unsigned>(hr));
  ctx.LastErrorText = text;
  ctx.ReportStatus(ctx.LastErrorText);
  Info(ctx, ctx.LastErrorText);
  StopRun(ctx);
}

// The twelve-hour mark: true (and the mark moved to now) when twelve hours
// have passed since the stored one; a first run only stores it.
bool MarkTwelveHours(WinRunContext& ctx) {
  const std::string last =
      platform::IniReadString(ctx.AgentIniPath, kScheduleSection, kScheduleKey, "", kScheduleBuffer);
  if (last.empty()) {
    platform::IniWrite(ctx.AgentIniPath, kScheduleSection, kScheduleKey, FormatTimeStamp(ctx.Now()));
    return false;
  }
  if (!IsTwelveHoursElapsed(last, FormatTimeStamp(ctx.Now()))) return false;
  platform::IniWrite(ctx.AgentIniPath, kScheduleSection, kScheduleKey, FormatTimeStamp(ctx.Now()));
  ctx.LogActivity(kModule, "Success", "Program exited Sucessfully for 12 HR schedule", "", "");
  return true;
}

bool IsVersionSixOrLater(const std::string& version) {
  for (const char* v : {"6.0", "6.1", "6.2", "6.3", "10.0"})
    if (version == v) return true;
  return false;
}

// The first failure of GetRecords, UpdateRecords or CloseDB on a database
// becomes the run's status; later ones are only logged.
class DatabaseFailure {
 public:
  void Report(WinRunContext& ctx, const std::string& databaseName, std::string_view call,
              const std::string& errorText) {
    if (reported_) return;
    reported_ = true;
    ctx.ReportStatus(databaseName + " " + std::string(call) + " Failed With ErrorCode is " + errorText);
  }

 private:
  bool reported_ = false;
};

// What the databases of one full run share.
struct FullRunSetting {
  bool twelveHourDue;
  std::string osVersion;  // as the gates read it
  LibraryCalls parser;
  std::set<int> unrecognisedReported;
};

// One monitoring database from its opening to its closing.
class DatabaseCycle {
 public:
  DatabaseCycle(WinRunContext& ctx, DatabaseComponentClient& component, FullRunSetting& run)
      : ctx_(ctx), component_(component), run_(run) {}

  void Run(const platform::Variant& path) {
    const std::string pathText = path.ToAnsi();
    Info(ctx_, "DB Path", pathText);
    databaseName_ = Bounded(pathText.substr(pathText.find_last_of('\\') + 1), limits::kDatabaseName);
    if (ctx_.status) ctx_.status->databaseName = Bounded(databaseName_, limits::kStatusDatabaseName);
    ToolRunSetting tools{run_.parser, SetDailyResultLogPath(ctx_, databaseName_), run_.unrecognisedReported};
    std::string recordCount;
    if (const ComponentOutcome opened = component_.OpenDB(path, recordCount); !opened) {
      const std::string text =
          Bounded(databaseName_ + " Unable to open the Database NexDBInterface.dll with errorcode " +
                      opened.errorText,
                  kOpenFailureText);
      ctx_.ReportStatus(text);
      Info(ctx_, text);
      return;
    }
    Info(ctx_, "NoOfRecords", recordCount);
    pagesLeft_ = PagesToRequest(recordCount);
    Info(ctx_, "szMaxLoop", std::to_string(pagesLeft_));
    const int pdcRoleStatus = CheckForPDCRole(ctx_, ctx_.parser);
    RunTools(tools, pdcRoleStatus);
    ApplyRules();
    WritePages();
    if (const ComponentOutcome closed = component_.CloseDB(); !closed) {
      LogCallFailure(ctx_, "CloseDB Failed", closed.errorText);
      failure_.Report(ctx_, databaseName_, "CloseDb", ctx_.LastErrorText);
    }
  }

 private:
  // Each tool in its runs: netdiag only before version 6.0, the policy
  // checks only on the PDC role's holder.
  void RunTools(ToolRunSetting& tools, int pdcRoleStatus) {
    const auto execute = [&](const ToolDescriptor& tool) {
      CmdExecute(ctx_, tools, conditions_.ErrorCodeSlots, tool.kind, conditions_.StatusSlots);
    };
    for (const ToolDescriptor& tool : FullRunTools()) {
      ctx_.DebugTrace("ExecuteCount=>" + std::to_string(tool.kind));
      if (tool.runs == Runs::FullRunOnPdcRoleHolder) {
        ctx_.DebugTrace("gpotool is going to execute");
        if (pdcRoleStatus == 1) execute(tool);
      } else if (IsVersionSixOrLater(run_.osVersion)) {
        if (tool.runs != Runs::FullRunBeforeVersion6) execute(tool);
        if (run_.twelveHourDue) Info(ctx_, "Cmd is Execute for 12 hr", std::to_string(pagesLeft_));
      } else {
        execute(tool);
      }
    }
  }

  void ApplyRules() {
    CheckDependecy(ctx_, conditions_.StatusSlots);
    CheckKCCTest(ctx_, conditions_.StatusSlots);
    CheckMultipleDNSTest(ctx_, conditions_.StatusSlots);
    timeService_ = CheckServiceStatus(ctx_);
    CheckClosingConditons(ctx_, timeService_, conditions_.StatusSlots, conditions_.ErrorCodeSlots,
                          conditions_.ClosingStatusSlots, conditions_.ClosingErrorCodeSlots);
  }

  void WritePages() {
    int failedRequests = 0;
    while (pagesLeft_ > 0) {
      RecordPage page;
      const ComponentOutcome got = component_.GetRecords(page);
      // A page of another form than texts is no empty page: nothing would be
      // written while the run reads as healthy.
      const std::optional<std::string> failure = !got ? got.errorText : page.Unreadable();
      if (failure) {
        Info(ctx_, "Database Getrecords function failed", *failure);
        failure_.Report(ctx_, databaseName_, "GetRecords", *failure);
        if (++failedRequests > kGetRecordsRepeats) return;
        continue;
      }
      failedRequests = 0;
      const std::optional<long> rows = page.RowCount();
      if (!rows || *rows <= 0) return;
      Info(ctx_, "lNumOfElements", std::to_string(*rows));
      RecordResults results(*rows);
      for (long row = 0; row < *rows; ++row) ResultOfRow(page, row, results);
      if (const ComponentOutcome updated = component_.UpdateRecords(page, results); !updated) {
        LogCallFailure(ctx_, "NexUpdateRecords Failed", updated.errorText);
        failure_.Report(ctx_, databaseName_, "UpdateRecords", ctx_.LastErrorText);
      } else {
        Info(ctx_, "NexUpdateRecords", "Success");
      }
      --pagesLeft_;
    }
  }

  // A row without a function ID, or whose ID selects no slot, keeps empty
  // elements: the component leaves its fields as they are.
  void ResultOfRow(const RecordPage& page, long row, RecordResults& results) {
    const std::optional<std::string> idText = page.FunctionIdText(row);
    for (const char* message : {"GroupID", "TestID", "FunctionID"}) Info(ctx_, message, idText.value_or(""));
    if (!idText) return;
    const std::optional<RecordResult> result = ResultForRecord(AtoiLike(*idText), conditions_, timeService_);
    if (!result) return;
    results.Set(row, result->status, result->errorCode);
    Info(ctx_, result->label, result->status, result->errorCode);
  }

  WinRunContext& ctx_;
  DatabaseComponentClient& component_;
  FullRunSetting& run_;
  std::string databaseName_;
  int pagesLeft_ = 0;  // szMaxLoop
  DatabaseConditions conditions_;
  TimeService timeService_;
  DatabaseFailure failure_;
};

// Every database the component lists; a failed listing is reported and ends the cycle.
void TestDatabases(WinRunContext& ctx, DatabaseComponentClient& component, FullRunSetting& run) {
  DatabasePaths paths;
  if (const ComponentOutcome listed = component.GetDBPaths(ctx.InstallationPath + "Nexagent\\Config", paths);
      !listed) {
    LogCallFailure(ctx, "GetDBPaths Failed", listed.errorText);
    ctx.ReportStatus("GetDBPaths Failed with error code is " + ctx.LastErrorText);
    return;
  }
  const std::optional<long> count = paths.DatabaseCount();
  if (!count) ctx.ReportStatus("No DataBase Found");
  Info(ctx, "Number Of DataBase", std::to_string(count.value_or(0)));
  // Read by position from the array's own lower bound: an element that cannot
  // be read is an empty path, which the component refuses to open.
  const platform::Variant noPath;
  for (long i = 0; i < count.value_or(0); ++i) {
    const std::optional<platform::Variant> path = paths.Element(i);
    DatabaseCycle(ctx, component, run).Run(path ? *path : noPath);
  }
}

}  // namespace

int RunFullCycle(WinRunContext& ctx, const std::string& osVersion) {
  // Runs that keep being ended before their end would leave the last status
  // standing: from the second in a row on, they are the run's status.
  const int unfinished = ctx.fullRun.emplace(ctx.AgentIniPath).Begin();
  if (unfinished >= kUnfinishedRunsReported) ctx.ReportStatus(UnfinishedRunsText(unfinished));
  platform::ComApartment apartment;
  DatabaseComponentClient component;
  if (const HRESULT hr = component.Create(); FAILED(hr)) ComponentNotCreated(ctx, hr);
  FullRunSetting run{MarkTwelveHours(ctx), osVersion, LibraryCalls(ctx, ctx.parser), {}};
  TestDatabases(ctx, component, run);

  if (!ctx.ErrorReported && ctx.status) SettleRunStatus(ctx, *ctx.status);
  if (ctx.status) DayUpdate(ctx, *ctx.status);
  ctx.LogActivity(kModule, "Success", "Program exited Sucessfully.", "", "");
  component.Release();
  apartment.Leave();
  ctx.fullRun->Finished();
  ctx.fullRun.reset();
  ctx.ShutdownCleanup();
  return 1;
}

}  // namespace velkor
