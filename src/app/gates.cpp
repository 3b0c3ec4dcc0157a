#include "app/gates.h"

#include "app/run_mode.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "core/guard.h"
#include "hostchecks/host_checks.h"
#include "platform/library.h"
#include "platform/system.h"

namespace velkor {

namespace {

void Log(WinRunContext& ctx, std::string_view message) {
  ctx.LogActivity("WinMain", "Info", message, "", "");
}

// Reports `description` as the run's status, logs it and stops.
[[noreturn]] void FailWithStatus(WinRunContext& ctx, const std::string& description, std::string_view line) {
  ctx.ReportStatus(description);
  Log(ctx, line);
  StopRun(ctx);
}

// Loads the parser library and takes its two entry points; a missing export
// counts as a missing library.
bool LoadParser(WinRunContext& ctx) {
  ctx.parserLibrary = platform::LoadModule(kNexParserLibrary);
  ctx.parser.execute = platform::ModuleExport<NexExecuteFn>(ctx.parserLibrary, kNexExecuteExport);
  ctx.parser.parseFile = platform::ModuleExport<NexParseFileFn>(ctx.parserLibrary, kNexParseFileExport);
  if (ctx.parser.execute != nullptr && ctx.parser.parseFile != nullptr) return true;
  const std::uint32_t error = ctx.LastSystemError();
  ctx.parser = ParserEntryPoints{};
  ctx.parserLibrary.reset();
  platform::SetLastErrorCode(error);
  return false;
}

}  // namespace

std::string PassGates(WinRunContext& ctx) {
  if (KillPreviousInstances(ctx) != 0) {
    Log(ctx, "KillPreviousInstances function failed");
    ctx.ReportStatus("Already an Instance(s) is running");
    StopRun(ctx);
  }
  // No earlier copy runs any more: what it left unsent goes out now.
  if (ctx.status) DeliverWaitingStatusFiles(ctx, *ctx.status, true);
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
  if (!CheckPreConditions(ctx)) {
    Log(ctx, "Condition(s) not satisfied in the devicelist.ini file");
    StopRun(ctx);
  }
  Log(ctx, "All Conditions satisfied in the devicelist.ini file");
  std::string osVersion;
  if (!CheckForOperatingSystem(ctx, osVersion)) {
    ctx.ReportStatus("OS version is not supported");
    Log(ctx, "OS version is not supported ");
    StopRun(ctx);
  }
  Log(ctx, "supports OS version");
  if (IsDomainController(ctx) != 1)
    FailWithStatus(ctx, "Machine is Not Domain Controller", "Machine is Not Domain Controller");
  Log(ctx, "it is domain controller");
  if (CheckForSupportTools(ctx, osVersion) != 1)
    FailWithStatus(ctx, "Machine does not contain support tools", "Machine does not contain support tools");
  Log(ctx, "Contians support tools");
  if (!LoadParser(ctx)) {
    ctx.FormatErrorText(ctx.LastSystemError());
    ctx.ReportStatus("NexParser.dll  Dependency dll is missing " + ctx.LastErrorText);
    ctx.LogActivity("WinMain", "Info", "NexParser LoadLibrary failed", ctx.LastErrorText, "");
    StopRun(ctx);
  }
  return osVersion;
}

}  // namespace velkor
