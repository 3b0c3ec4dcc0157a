// Whether this host holds the PDC operations-master role, which decides
// whether the two group-policy checks run.
#pragma once

#include <string>

#include "core/run_context.h"
#include "tools/tool_runner.h"

namespace velkor {

// PDCRoleStatus: 1 when this host holds the PDC role, else 0.
// The agent's list of role holders ("PDC ROLE" / "VALUE" of OrvaVardata.ini)
// decides when it is not empty; otherwise "netdom query fsmo" is run into
// "<InstallationPath>Nexagent\NetDom.txt" and its PDC line decides. The host
// must be named as a whole name (NamesHost); ctx.HostName is upper-cased
// once it has been compared. Every failure gives 0.
int CheckForPDCRole(RunContext& ctx, const ParserEntryPoints& parser);

// Runs the role query ("netdom query fsmo") through the parser library into `outputPath`
// (no other folders are tried). Returns 1 when the library reports success,
// else 0; the library's own return value is not used.
int ExecuteNetDomEXE(RunContext& ctx, const ParserEntryPoints& parser, const std::string& outputPath);

}  // namespace velkor
