// One descriptor for every tool the program starts: what it is run as, where
// its report goes, how the report is judged, where else the tool is looked
// for and in which runs it takes part. The runner, the dispatcher, the full
// run and the quick run read these rows; none of them names a tool. The rows
// lie beside the phrase tables they point into.
#pragma once

#include <span>
#include <string_view>

#include "classify/phrase_tables.h"

namespace velkor {

// The full run's tool runs, in the order they are made.
enum ToolKind : int {
  NetShare = 0,
  DcDiag = 1,
  NetDiag = 2,
  GpoDomainPolicy = 3,
  RepAdmin = 4,
  GpoDomainControllerPolicy = 5,
};

// How a tool's report is judged.
enum class Judgement {
  FoundIsFailure,    // a keyword found is a failure; its detail phrases say which one
  MissingIsFailure,  // a keyword missing is a failure: a healthy controller's report holds it
  FailureCount,      // the replication count on the report's last lines decides
};

// Where a tool is looked for when its bare name cannot be started.
enum class StandardFolder {
  None,          // nowhere else
  SupportTools,  // "%ProgramFiles%\Support Tools\", then the SUPPORTTOOLS folder of the agent
  ResourceKit,   // "%ProgramFiles%\Windows Resource Kits\Tools\", then RESOURCETOOLKITS
};

// The runs a tool takes part in.
enum class Runs {
  FullRun,                 // every full run
  FullRunBeforeVersion6,   // full runs on Windows before 6.0
  FullRunOnPdcRoleHolder,  // full runs on the holder of the PDC role
  QuickRun,                // the connectivity quick run
  PdcRoleDetection,        // the detection of the PDC role's holder
};

struct ToolDescriptor {
  std::string_view executable;  // as handed to the parser library and named in the logs
  std::string_view parameters;
  std::string_view outputPath;  // below the installation path
  std::span<const tables::Keyword> keywords;
  std::span<const std::string_view> details;  // the quick run's detail phrases of a found keyword
  std::span<const tables::FunctionIdRange> errorCodeRanges;  // what gets the error text of a failed run
  std::span<const std::string_view> reportLines;  // one must occur in a report it can read; none: no check
  int kind;                                       // the ToolKind it runs as (-1 for the role query)
  int fixedFunctionId;  // the keywords' function ID; 0 where each keyword carries its own
  Judgement judgement;
  StandardFolder folder;
  Runs runs;
  bool confirmShares;  // a share found counts only where a line of the listing names it
  bool wrapsVerdicts;  // dcdiag: verdicts wrapped at the console width are joined first
};

// The full run's tools, tool kinds 0 to 5 in order.
std::span<const ToolDescriptor> FullRunTools();
// The full run's tool of `kind`; null outside 0 to 5.
const ToolDescriptor* FullRunTool(int kind);
const ToolDescriptor& QuickShareListing();
const ToolDescriptor& QuickConnectivityTest();
const ToolDescriptor& RoleHolderQuery();

}  // namespace velkor
