// The findings of the host role checks, decided from values the Windows side
// gathers: each logs its line and gives the check's answer.
#pragma once

#include <functional>
#include <string>

#include "core/run_context.h"

namespace velkor {

// CheckForOperatingSystem's finding: logs whether `version` (already
// normalised) is supported, and gives `supported`.
bool RecordOSVersion(RunContext& ctx, const std::string& version, bool supported);

// IsDomainController's finding: 1 when the directory service key opened and
// the directory database file exists (asked only after the key opened).
int DecideDomainController(RunContext& ctx, bool serviceKeyOpened,
                           const std::function<bool()>& databaseExists);

// CheckForSupportTools' finding: 1 at once on version "6.0"; otherwise the
// installed-programs search, then the installer product key, each asked only
// when the one before found nothing.
int DecideSupportTools(RunContext& ctx, const std::string& osVersion,
                       const std::function<bool()>& foundInUninstall,
                       const std::function<bool()>& hasProductKey);

}  // namespace velkor
