#include "app/startup.h"

#include <string>

#include "app/agent_settings.h"
#include "app/full_run.h"
#include "app/gates.h"
#include "app/quick_run.h"
#include "core/guard.h"
#include "core/text_limits.h"
#include "platform/library.h"
#include "platform/system.h"
#include "report/path_limits.h"

namespace velkor {

namespace {

// Loads the logger library; false when it or its export is missing.
bool LoadLogger(WinRunContext& ctx) {
  ctx.loggerLibrary = platform::LoadModule(kLoggerLibraryName);
  const auto entry = platform::ModuleExport<LogDataToDiskFunction>(ctx.loggerLibrary, kLoggerExportName);
  if (entry == nullptr) {
    const std::uint32_t error = ctx.LastSystemError();
    ctx.loggerLibrary.reset();
    platform::SetLastErrorCode(error);
    return false;
  }
  const std::string folder = ctx.InstallationPath + "nexagent\\ApplicationLog\\Velkor\\";
  MakeDirectoryPath(ctx, folder);
  // An installation path too long for the log's path leaves the run without
  // its log, as a folder that cannot be created does.
  const std::string path = folder + "velkor.txt";
  if (!WithinPathLimit(ctx, "WinMain", path, limits::kActivityLogPath)) return true;
  ctx.ActivityLogPath = path;
  ctx.activityLog.emplace(entry, ctx.ActivityLogPath, ctx.UserName);
  return true;
}

void StartUp(WinRunContext& ctx) {
  ctx.UserName = Bounded(platform::UserName(), limits::kUserName);
  if (!ReadAgentLocations(ctx)) StopRun(ctx);
  CreateConfigDirectory(ctx);
  CreateAppLogDirectory(ctx);
  ctx.ErrorReported = false;
  ctx.status.emplace(StatusContext{"", ctx.AgentIniPath, "", ctx.InstallationPath, ctx.RegID});
  if (!LoadLogger(ctx)) {
    if (!ctx.RegID.empty()) {
      ctx.FormatErrorText(ctx.LastSystemError());
      ctx.ReportStatus("TalLogger.dll Dependency dll is missing " + ctx.LastErrorText);
    }
    StopRun(ctx);
  }
  ctx.LogActivity("WinMain", "Info", "Main Function Started", "", "");
}

}  // namespace

void StopRun(WinRunContext& ctx) {
  ctx.ShutdownCleanup();
  EndRun(0);
}

int FinishQuickRun(WinRunContext& ctx) {
  ctx.LogActivity("WinMain", "Success", "Program exited Sucessfully.", "", "");
  ctx.ShutdownCleanup();
  return 1;
}

int RunVelkor(WinRunContext& ctx) {
  StartUp(ctx);
  const std::string osVersion = PassGates(ctx);
  if (ctx.RunMode == 1) {
    SetMonIDStatus(ctx);
    return FinishQuickRun(ctx);
  }
  return RunFullCycle(ctx, osVersion);
}

}  // namespace velkor
