#include "hostchecks/host_checks.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "core/guard.h"
#include "core/text_limits.h"
#include "hostchecks/host_role.h"
#include "hostchecks/monitoring_window.h"
#include "hostchecks/registry_reader.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace velkor {
namespace {

constexpr HandlerPolicy kCheckPreConditionsHandler{.module = "CheckPreConditions",
                                                   .type = "Info",
                                                   .message = "Exception occured while reading the ini file",
                                                   .detail = ErrorDetail::None,
                                                   .reportStatus = false};

// The role checks log the system error text; none reports a status, and only
// IsDomainController cleans up before the run ends.
constexpr HandlerPolicy RoleCheckHandler(std::string_view module, bool cleanup) {
  return {.module = module, .reportStatus = false, .cleanup = cleanup};
}

constexpr std::size_t kIniValueBuffer = 256;
constexpr unsigned kWindowsFolderBuffer = 256;

DeviceSection ReadDeviceSection(const std::string& file, const std::string& host) {
  DeviceSection section;
  section.type = platform::IniReadInt(file, host, "TYPE", 0);
  section.localMachine = platform::IniReadString(file, host, "LOCALMACHINE", "", kIniValueBuffer);
  section.enable = platform::IniReadInt(file, host, "ENABLE", 0);
  section.fromTime = platform::IniReadString(file, host, "FROMTIME", "", kIniValueBuffer);
  section.toTime = platform::IniReadString(file, host, "TOTIME", "", kIniValueBuffer);
  section.daysToMonitor = platform::IniReadString(file, host, "DAYSTOMONITOR", "", kIniValueBuffer);
  return section;
}

}  // namespace

void ReadHostName(RunContext& ctx) {
  if (const auto name = platform::HostNameFromWinsock()) ctx.HostName = Bounded(*name, limits::kHostName);
}

bool CheckPreConditions(RunContext& ctx) {
  return Guarded(ctx, kCheckPreConditionsHandler, [&] {
    ReadHostName(ctx);
    const std::string file = ctx.InstallationPath + "Configuration\\DeviceList.ini";
    if (!platform::FileExists(file)) StopForMissingDeviceList(ctx);
    return SectionAllowsMonitoring(ctx, ReadDeviceSection(file, ctx.HostName));
  });
}

bool CheckForOperatingSystem(RunContext& ctx, std::string& osVersion) {
  return Guarded(ctx, RoleCheckHandler("CheckForOperatingSystem", false), [&] {
    CRegistry registry;
    std::string version;
    const bool supported = registry.ReadOSVersion(version);
    osVersion = version;
    return RecordOSVersion(ctx, version, supported);
  });
}

int IsDomainController(RunContext& ctx) {
  return Guarded(ctx, RoleCheckHandler("IsDomainController", true), [&] {
    platform::RegKey key;
    const bool opened =
        platform::OpenKey(key, HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\NTDS",
                          platform::kQueryValueAccess32) == ERROR_SUCCESS;
    return DecideDomainController(ctx, opened, [] {
      return platform::FileExists(platform::ExpandEnvironment("%Windir%", kWindowsFolderBuffer) +
                                  "\\NTDS\\ntds.dit");
    });
  });
}

int CheckForSupportTools(RunContext& ctx, const std::string& osVersion) {
  return Guarded(ctx, RoleCheckHandler("CheckForSupportTools", false), [&] {
    CRegistry registry;
    return DecideSupportTools(
        ctx, osVersion, [&] { return registry.FindSupportToolsInUninstall(osVersion); },
        [&] { return CRegistry::HasSupportToolsProductKey(osVersion); });
  });
}

}  // namespace velkor
