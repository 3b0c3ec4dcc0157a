#include "hostchecks/host_role.h"

namespace velkor {

bool RecordOSVersion(RunContext& ctx, const std::string& version, bool supported) {
  if (supported) {
    ctx.LogActivity("CheckForOperatingSystem", "Info", "OS Version is matched", "", "");
  } else {
    ctx.LogActivity("CheckForOperatingSystem", "Info", "", version + " OS Version is not matched", "");
  }
  return supported;
}

int DecideDomainController(RunContext& ctx, bool serviceKeyOpened,
                           const std::function<bool()>& databaseExists) {
  if (!serviceKeyOpened) {
    ctx.LogActivity("IsDomainController", "ERROR", "RegOpenKeyEx Failed", " ", " ");
    return 0;
  }
  ctx.LogActivity("IsDomainController", "Success", "RegOpenKeyEx Success", " ", " ");
  return databaseExists() ? 1 : 0;
}

int DecideSupportTools(RunContext& ctx, const std::string& osVersion,
                       const std::function<bool()>& foundInUninstall,
                       const std::function<bool()>& hasProductKey) {
  if (osVersion == "6.0") return 1;
  int result = 1;
  const char* message = "Support tools found in unInstaller check";
  if (!foundInUninstall()) {
    if (hasProductKey()) {
      message = "Support tools found in Installer check";
    } else {
      result = 0;
      message = "No Support tools found";
    }
  }
  ctx.LogActivity("CheckForSupportTools", "Info", message, "", "");
  return result;
}

}  // namespace velkor
