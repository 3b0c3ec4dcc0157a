#include "tools/tool_runner.h"

#include <optional>
#include <stdexcept>

#include "core/guard.h"
#include "core/text_limits.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "tools/execute_call.h"
#include "tools/tool_kinds.h"

namespace velkor {

namespace {

const HandlerPolicy kExecuteExeHandler{
    "ExecuteEXE", "ERROR", "Exception occured in ExecuteEXE Failed", ErrorDetail::None, true, false, true};
const HandlerPolicy kParseFromFileHandler{
    "ParseFromFile", "ERROR", "Exception occured in lpNexParseFile  Failed", ErrorDetail::None, true,
    false,           true};

// The error text of a run that the library counts as done but that left its
// output file empty: ERROR_HANDLE_EOF, the report ended before it began.
constexpr char kEmptyReportError[] = "38";

// Every tool prints a report whatever it finds. An empty one (a tool that
// ended at once without doing its work) tells nothing, and searching it would
// pass every condition of the tool: such a run counts as failed.
bool Reported(const ExecuteCall& call, const std::string& outputPath) {
  return call.Succeeded() && platform::FileSize(outputPath) != std::optional<std::uint64_t>(0);
}

}  // namespace

int ExecuteExe(RunContext& ctx, const ParserEntryPoints& parser, const std::string& command,
               const std::string& parameters, int kind, std::string& errorText) {
  return Guarded(ctx, kExecuteExeHandler, [&]() -> int {
    if (parser.execute == nullptr) throw std::runtime_error("str_nexexecute is not loaded");
    ExecuteCall call(parameters, ctx.ToolOutputPath);

    ctx.DebugTrace("1st Call to gpotool");
    int value = call.Run(parser.execute, command);
    if (Reported(call, ctx.ToolOutputPath)) {
      ctx.LogActivity("ExecuteExe", "INFO", "lpNexExecute  Success",
                      "lpNexExecute Success with error code " + errorText + " Command is " + command +
                          " Parameter " + parameters,
                      "");
      return value;
    }

    if (kind != NetShare) {
      std::string folder = platform::ExpandEnvironment("%ProgramFiles%", 1024);
      ctx.DebugTrace("Local Path =>");
      ctx.DebugTrace(folder);
      if (IsPolicyCheck(kind)) {
        ctx.DebugTrace("count==3 || count==5 appending path \\Windows Resource Kits\\Tools\\");
        folder += "\\Windows Resource Kits\\Tools\\";
      } else {
        ctx.DebugTrace("appending path: LocalPath\\Support Tools\\");
        folder += "\\Support Tools\\";
      }
      const std::string shortFolder = platform::ShortPathName(folder);
      ctx.DebugTrace("ShortPath we got is=>");
      ctx.DebugTrace(shortFolder);
      ctx.DebugTrace("2nd Call to gpotool");
      value = call.Run(parser.execute, shortFolder + command);
      if (Reported(call, ctx.ToolOutputPath)) return value;

      const std::string configured = platform::IniReadString(
          ctx.InstallationPath + "nexagent\\Config\\OrvaVardata.ini",
          IsPolicyCheck(kind) ? "RESOURCETOOLKITS" : "SUPPORTTOOLS", "VALUE", "", 1024);
      if (!configured.empty()) {
        ctx.DebugTrace("Appending \\");
        ctx.DebugTrace("3rd Call to gpotool");
        value = call.Run(parser.execute, configured + "\\" + command);
      }
      if (Reported(call, ctx.ToolOutputPath)) return value;
    }

    errorText = call.Succeeded() ? kEmptyReportError : call.ErrorText();
    ctx.ReportStatus(command + " failed with Errorcode=" + errorText);
    ctx.LogActivity("ExecuteExe", "ERROR", "lpNexExecute  Failed",
                    "lpNexExecute failed with error code " + errorText + " File name is " + command, "");
    return 0;
  });
}

int ParseFromFile(RunContext& ctx, const ParserEntryPoints& parser, platform::Variant& phrases,
                  platform::Variant& hits, std::string& errorText) {
  return Guarded(ctx, kParseFromFileHandler, [&]() -> int {
    if (parser.parseFile == nullptr) throw std::runtime_error("arr_nexparsefile is not loaded");
    platform::Variant file(ctx.ToolOutputPath);
    platform::Variant result;
    const int value = parser.parseFile(file.get(), phrases.get(), hits.receive(), result.get());
    if (result.IsEmpty()) {
      ctx.LogActivity(
          "ParseFromFile", "INFO", "lpNexParseFile  Success",
          "lpNexParseFile Success with error code " + errorText + " File name is " + ctx.ToolOutputPath, "");
      return value;
    }
    errorText = ExecuteCall::ComponentErrorText(result);
    ctx.ReportStatus("lpNexParseFile failed with errorcode=" + errorText);
    ctx.LogActivity(
        "ParseFromFile", "ERROR", "lpNexParseFile  Failed",
        "lpNexParseFile failed with error code " + errorText + " File name is " + ctx.ToolOutputPath, "");
    return 0;
  });
}

}  // namespace velkor
