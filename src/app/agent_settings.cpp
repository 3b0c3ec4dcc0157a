#include "app/agent_settings.h"

#include "core/text_limits.h"
#include "hostchecks/registry_reader.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "report/path_limits.h"

namespace velkor {

bool HasProgramFilesX86() {
  std::string root = platform::WindowsDirectory();
  const std::string::size_type slash = root.rfind('\\');
  root = slash == std::string::npos ? std::string() : root.substr(0, slash + 1);
  return platform::FileExists(root + "Program Files (x86)");
}

std::string AgentKeyPathForThisSystem() {
  return HasProgramFilesX86() ? "SOFTWARE\\Wow6432Node\\ZOVEZO" : "SOFTWARE\\ZOVEZO";
}

bool ReadAgentLocations(RunContext& ctx) {
  ctx.AgentKeyPath = AgentKeyPathForThisSystem();
  std::string value;
  bool bothRead = CRegistry().ReadAgentValue(ctx.AgentKeyPath, "InstallationPath", value);
  if (bothRead) {
    ctx.InstallationPath = Bounded(value, limits::kInstallationPath);
    bothRead = CRegistry().ReadAgentValue(ctx.AgentKeyPath, "REGID", value);
    if (bothRead) ctx.RegID = Bounded(value, limits::kRegID);
  }
  // An empty installation path names no folder, read or not: every agent path
  // would lie in whatever folder the agent started the program from.
  if (ctx.InstallationPath.empty()) return false;
  if (!bothRead) {
    const std::string fallback =
        platform::IniReadString(ctx.InstallationPath + "orvamobile.ini", "MACHINE_INFO", "DCRegId", "", 256);
    ctx.RegID = Bounded(fallback, limits::kRegID);
  }
  return true;
}

void CreateConfigDirectory(RunContext& ctx) {
  const std::string folder = ctx.InstallationPath + "Nexagent\\Config";
  // Every missing level: on a fresh agent folder the INI writes of the first run must not be lost.
  MakeDirectoryPath(ctx, folder);
  ctx.AgentIniPath = Bounded(folder + "\\Velkor.ini", limits::kAgentIniPath);
}

void CreateAppLogDirectory(RunContext& ctx) {
  MakeDirectoryPath(ctx, ctx.InstallationPath + "Nexagent\\ApplicationLog" + "\\Velkor");
}

}  // namespace velkor
