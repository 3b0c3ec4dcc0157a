#include "tools/tool_kinds.h"

#include "core/text_limits.h"

namespace velkor {

namespace {
struct ToolRun {
  const char* executable;
  const char* outputFile;
};
constexpr ToolRun kToolRuns[] = {
    {"net", "VelkorTemp_NetShare.txt"},
    {"dcdiag.exe", "VelkorTemp_DCDiag.txt"},
    {"netdiag.exe", "VelkorTemp_NetDiag.txt"},
    {"gpotool.exe", "VelkorTemp_GpoTool_Default_Domain_Policy.txt"},
    {"repadmin", "VelkorTemp_repadmin.txt"},
    {"gpotool.exe", "VelkorTemp_Default_Domain_Controller_Policy.txt"},
};
constexpr int kKinds = static_cast<int>(sizeof kToolRuns / sizeof kToolRuns[0]);
}  // namespace

const char* ToolExecutable(int kind) { return kind >= 0 && kind < kKinds ? kToolRuns[kind].executable : ""; }

const char* ToolOutputFileName(int kind) {
  return kind >= 0 && kind < kKinds ? kToolRuns[kind].outputFile : "";
}

const char* PrepareToolRun(RunContext& ctx, int kind) {
  ctx.ToolOutputPath =
      Bounded(ctx.InstallationPath + "nexagent\\ApplicationLog\\Velkor\\" + ToolOutputFileName(kind),
              limits::kAgentIniPath);
  return ToolExecutable(kind);
}

}  // namespace velkor
