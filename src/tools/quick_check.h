// The connectivity quick run of one database: the share listing and the
// dcdiag connectivity test, their outcome handed to the result component as
// it is decided. Portable: the parser library is reached through
// ParserCalls and the component through `submit`.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "core/run_context.h"
#include "tools/parser_calls.h"

namespace velkor {

// The rotation number that follows the stored one: 1, 2, 3, 1 ... A stored
// value outside 0 to 2 starts the cycle again at 1, so that only three
// generations of the quick run's output files are ever kept.
constexpr int NextRotation(int stored) { return stored >= 0 && stored <= 2 ? stored + 1 : 1; }

// Stores a function ID's status and error code in the database (SetFuncIDStat).
using SubmitResult = std::function<void(const std::string& functionId, const std::string& status,
                                        const std::string& errorCode)>;

// Runs the share listing and the connectivity test into their output files
// of rotation `rotation` and submits 1001, 3001, 1003, 3003 and the
// connectivity detail conditions. A tool that cannot be run, a search that
// fails and an unrecognised connectivity report submit nothing for that
// tool; `unrecognisedReported` holds the tool kinds whose unrecognised
// report is the run's status already.
void CheckDatabaseQuickly(RunContext& ctx, ParserCalls& parser, const SubmitResult& submit, int rotation,
                          std::set<int>& unrecognisedReported);

}  // namespace velkor
