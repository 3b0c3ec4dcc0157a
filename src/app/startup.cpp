#include "app/startup.h"

#include <string>

#include "app/agent_settings.h"
#include "app/guard.h"
#include "app/run_mode.h"
#include "app/single_instance.h"
#include "app/text_limits.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/system.h"

namespace velkor {

namespace {

void Log(WinRunContext& ctx, std::string_view message) {
  ctx.LogActivity("WinMain", "Info", message, "", "");
}

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
  platform::MakeDirectoryPath(folder);
  ctx.ActivityLogPath = Bounded(folder + "velkor.txt", limits::kActivityLogPath);
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
  Log(ctx, "Main Function Started");
}

// The first gates: single instance, registration identifier, argument.
void PassStartGates(WinRunContext& ctx) {
  if (KillPreviousInstances(ctx) != 0) {
    Log(ctx, "KillPreviousInstances function failed");
    ctx.ReportStatus("Already an Instance(s) is running");
    StopRun(ctx);
  }
  if (ctx.RegID.empty()) {
    Log(ctx, "RegID not found");
    StopRun(ctx);
  }
  ctx.RunMode = ParseRunMode(platform::CommandLineArguments());
  if (ctx.RunMode != 0 && ctx.RunMode != 1) {
    Log(ctx, "Invalid Parameters passed");
    Log(ctx, "Parameters passed must be 1 otherwise it take 0");
    Log(ctx, "By default it take 0 means velkor Execution all the EXE's Specified to check AD");
    Log(ctx, "1 Means velkor Execution only for Net Share and DCDiag.exe");
    StopRun(ctx);
  }
}

}  // namespace

void StopRun(WinRunContext& ctx) {
  ctx.ShutdownCleanup();
  EndRun(0);
}

int FinishFullRun(WinRunContext& ctx) {
  if (!ctx.ErrorReported && ctx.status) SettleRunStatus(ctx, *ctx.status);
  if (ctx.status) DayUpdate(ctx, *ctx.status);
  ctx.LogActivity("WinMain", "Success", "Program exited Sucessfully.", "", "");
  ctx.ShutdownCleanup();
  return 1;
}

int RunVelkor(WinRunContext& ctx) {
  StartUp(ctx);
  PassStartGates(ctx);
  return FinishFullRun(ctx);
}

}  // namespace velkor
