// Paths with a limit on their length. A path over its limit is refused with a
// failure line, never cut: a cut path names another folder or file. Before the
// activity log exists the line is lost, but the debug trace still shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/run_context.h"

namespace velkor {

// True when `path` has at most `limit` characters; otherwise writes the failure
// line under `module` and returns false.
bool WithinPathLimit(RunContext& ctx, std::string_view module, const std::string& path, std::size_t limit);

// Creates every missing folder of `path` (MakeDirectoryPath); a path over 250
// characters is refused with the failure line and nothing is created.
bool MakeDirectoryPath(RunContext& ctx, const std::string& path);

}  // namespace velkor
