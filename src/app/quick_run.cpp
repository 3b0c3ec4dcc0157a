#include "app/quick_run.h"

#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "core/guard.h"
#include "core/text_limits.h"
#include "platform/com.h"
#include "platform/ini.h"
#include "results/database_component.h"
#include "results/result_submission.h"
#include "tools/quick_check.h"
#include "tools/tool_runner.h"

namespace velkor {
namespace {

constexpr std::string_view kModule = "SetMonIDStatus";
constexpr HandlerPolicy kSetMonIDStatusHandler = HandlerWithoutStatus(kModule);

// The text after the path's last backslash (the whole path when it has none).
std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void ComponentNotCreated(RunContext& ctx, HRESULT hr) {
  char text[64] = {};
  static_cast<void>(std::snprintf(text, sizeof text, "CoCreateInstance Failed With Error Code  %08x.",
                                  static_cast<unsigned>(hr)));
  ctx.LastErrorText = text;
  ctx.LogActivity(kModule, "Info", ctx.LastErrorText, "", "");
  ctx.ShutdownCleanup();
  EndRun(0);
}

// The next rotation number of the quick run's output files, stored at once.
int AdvanceRotation(const RunContext& ctx) {
  const int rotation = NextRotation(platform::IniReadInt(ctx.AgentIniPath, "LOG", "VALUE", 0));
  platform::IniWrite(ctx.AgentIniPath, "LOG", "VALUE", std::to_string(rotation));
  return rotation;
}

// Runs every database of the paths array.
void RunDatabases(WinRunContext& ctx, ResultComponentClient& component, const DatabasePaths& paths) {
  const std::optional<long> count = paths.DatabaseCount();
  if (!count) ctx.LogActivity(kModule, "Info", "no DataBase found", "", "");
  ctx.LogActivity(kModule, "Info", "Number Of DataBase", std::to_string(count.value_or(0)), "");
  LibraryCalls parser(ctx, ctx.parser);
  std::set<int> unrecognisedReported;
  for (long i = 0; i < count.value_or(0); ++i) {
    const std::optional<platform::Variant> database = paths.Element(i);
    const std::string path = database ? database->ToAnsi() : std::string();
    ctx.LogActivity(kModule, "Info", "DB Path", path, "");
    if (!database) continue;
    if (ctx.status) ctx.status->databaseName = Bounded(FileNamePart(path), limits::kStatusDatabaseName);
    const SubmitResult submit = [&](const std::string& functionId, const std::string& status,
                                    const std::string& errorCode) {
      SetFuncIDStat(ctx, component, functionId, *database, status, errorCode);
    };
    CheckDatabaseQuickly(ctx, parser, submit, AdvanceRotation(ctx), unrecognisedReported);
  }
}

}  // namespace

void SetMonIDStatus(WinRunContext& ctx) {
  Guarded(ctx, kSetMonIDStatusHandler, [&] {
    platform::ComApartment apartment;
    ResultComponentClient component;
    if (const HRESULT hr = component.Create(); FAILED(hr)) ComponentNotCreated(ctx, hr);

    DatabasePaths paths;
    const ComponentOutcome listed = component.GetDBPaths(ctx.InstallationPath + "Nexagent\\Config", paths);
    if (listed)
      RunDatabases(ctx, component, paths);
    else  // nothing is submitted; the line says why, before the run's closing line
      ctx.LogActivity(kModule, "ERROR", "GetDBPaths Failed", "", listed.errorText);
    component.Release();
    apartment.Leave();
  });
}

}  // namespace velkor
