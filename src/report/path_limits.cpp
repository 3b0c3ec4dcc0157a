#include "report/path_limits.h"

#include "core/text_limits.h"
#include "platform/files.h"

namespace velkor {

namespace {

void RefusePath(RunContext& ctx, std::string_view module, const std::string& path, std::size_t limit) {
  const std::string message = "Path longer than " + std::to_string(limit) + " characters refused";
  ctx.DebugTrace(message + ": " + path);
  ctx.LogActivity(module, "ERROR", message, path, "");
}

}  // namespace

bool WithinPathLimit(RunContext& ctx, std::string_view module, const std::string& path, std::size_t limit) {
  if (path.size() <= limit) return true;
  RefusePath(ctx, module, path, limit);
  return false;
}

bool MakeDirectoryPath(RunContext& ctx, const std::string& path) {
  if (platform::MakeDirectoryPath(path)) return true;
  RefusePath(ctx, "MakeDirectoryPath", path, limits::kDirectoryPath);
  return false;
}

}  // namespace velkor
