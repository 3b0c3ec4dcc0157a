#include "tools/tool_start.h"

#include <string>

#include "classify/tool_descriptors.h"
#include "core/text.h"
#include "core/text_limits.h"

namespace velkor {

std::string NativeToolCommand(std::string_view command, const ToolSearch& search) {
  std::string name(command);
  if (!search.wow64 || name.empty() || name.find_first_of("\\/:") != std::string::npos) return name;
  const std::string file = name.find('.') == std::string::npos ? name + ".exe" : name;
  if (search.isFile(search.programFolder + file)) return name;
  if (!search.currentFolder.empty() && search.isFile(search.currentFolder + file)) return name;
  const std::string native = search.sysnativeFolder + file;
  return search.isFile(native) ? native : name;
}

std::string PrepareToolRun(RunContext& ctx, int kind) {
  const ToolDescriptor* tool = FullRunTool(kind);
  const std::string_view output = tool != nullptr ? tool->outputPath : "nexagent\\ApplicationLog\\Velkor\\";
  ctx.ToolOutputPath = Bounded(ctx.InstallationPath + std::string(output), limits::kAgentIniPath);
  return tool != nullptr ? std::string(tool->executable) : std::string();
}

bool ToolWasEndedAtItsLimits(std::string_view errorText) {
  constexpr int kTimeout = 1460;        // ERROR_TIMEOUT
  constexpr int kWaitTimeout = 258;     // WAIT_TIMEOUT
  constexpr int kOutputTooLarge = 223;  // ERROR_FILE_TOO_LARGE
  const std::string text(errorText);
  if (text.find_first_not_of("0123456789") != std::string::npos || text.empty()) return false;
  const int code = AtoiLike(text);
  return code == kTimeout || code == kWaitTimeout || code == kOutputTooLarge;
}

}  // namespace velkor
