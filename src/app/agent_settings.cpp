#include "app/agent_settings.h"

#include <windows.h>

#include "core/text_limits.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/registry.h"
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

AgentValue ReadAgentValue(const std::string& agentKeyPath, const std::string& valueName) {
  constexpr std::size_t kFailureText = 1031;
  platform::RegKey key;
  LONG code = platform::OpenKey(key, HKEY_LOCAL_MACHINE, agentKeyPath, platform::kReadAccess32);
  if (code != ERROR_SUCCESS)
    return {
        .value = std::nullopt,
        .failure = Bounded("RegOpenKeyEx [" + std::to_string(code) + "]::" + platform::SystemMessage(code),
                           kFailureText)};
  std::string value;
  code = platform::QueryText(key, valueName, limits::kRegistryValue, value);
  if (code != ERROR_SUCCESS)
    return {.value = std::nullopt,
            .failure = Bounded("RegQueryValueEx sec = " + agentKeyPath + " key = " + valueName + " [" +
                                   std::to_string(code) + "]::" + platform::SystemMessage(code),
                               kFailureText)};
  return {.value = std::move(value), .failure = ""};
}

bool ReadAgentLocations(RunContext& ctx) {
  ctx.AgentKeyPath = AgentKeyPathForThisSystem();
  AgentValue read = ReadAgentValue(ctx.AgentKeyPath, "InstallationPath");
  bool bothRead = read.value.has_value();
  if (bothRead) {
    ctx.InstallationPath = Bounded(*read.value, limits::kInstallationPath);
    read = ReadAgentValue(ctx.AgentKeyPath, "REGID");
    bothRead = read.value.has_value();
    if (bothRead) ctx.RegID = Bounded(*read.value, limits::kRegID);
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
