// The checks that decide whether this host is monitored now. Each runs under
// its own catch-all handler and answers 1 (yes) or 0 (no); a "no" is not a
// failure of the check: the caller reports it and ends the run.
#pragma once

#include <string>

#include "core/run_context.h"

namespace velkor {

// This host's section of <InstallationPath>Configuration\DeviceList.ini
// allows monitoring at this day and time. A missing file reports
// "DeviceList.ini File Not Found", cleans up and ends the run (code 0).
bool CheckPreConditions(RunContext& ctx);

// The Windows version is supported; `osVersion` receives the version read
// ("6.1" to "6.3" become "6.0"), supported or not.
bool CheckForOperatingSystem(RunContext& ctx, std::string& osVersion);

// 1 when the directory service key and %Windir%\NTDS\ntds.dit are present.
int IsDomainController(RunContext& ctx);

// 1 when the Windows Support Tools are installed on `osVersion` (always on "6.0").
int CheckForSupportTools(RunContext& ctx, const std::string& osVersion);

// Fetches the host name into ctx.HostName; unchanged when Winsock cannot start.
void ReadHostName(RunContext& ctx);

}  // namespace velkor
