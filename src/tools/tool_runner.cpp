#include "tools/tool_runner.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "classify/wrapped_verdicts.h"
#include "core/guard.h"
#include "core/text.h"
#include "core/text_limits.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "tools/execute_call.h"
#include "tools/tool_kinds.h"
#include "tools/tool_start.h"

namespace velkor {

namespace {

const HandlerPolicy kExecuteExeHandler{
    "ExecuteEXE", "ERROR", "Exception occured in ExecuteEXE Failed", ErrorDetail::None, true, false, true};
const HandlerPolicy kParseFromFileHandler{
    "ParseFromFile", "ERROR", "Exception occured in lpNexParseFile  Failed", ErrorDetail::None, true,
    false,           true};

}  // namespace

int ExecuteExe(RunContext& ctx, const ParserEntryPoints& parser, const std::string& command,
               const std::string& parameters, int kind, std::string& errorText) {
  return Guarded(ctx, kExecuteExeHandler, [&]() -> int {
    if (parser.execute == nullptr) throw std::runtime_error("str_nexexecute is not loaded");
    ExecuteCall call(parameters, ctx.ToolOutputPath);

    ctx.DebugTrace("1st Call to gpotool");
    int value = call.Run(parser.execute, command);
    if (call.Succeeded()) {
      ctx.LogActivity("ExecuteExe", "INFO", "lpNexExecute  Success",
                      "lpNexExecute Success with error code " + errorText + " Command is " + command +
                          " Parameter " + parameters,
                      "");
      return value;
    }

    // A tool that ran and was ended at its time limit or output cap is not
    // started again: the other folders hold the same tool, which would cost
    // another time limit each while the next scheduled run ends this one.
    if (kind != NetShare && !ToolWasEndedAtItsLimits(call.ErrorText())) {
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
      if (call.Succeeded()) return value;

      const std::string configured = platform::IniReadString(
          ctx.InstallationPath + "nexagent\\Config\\OrvaVardata.ini",
          IsPolicyCheck(kind) ? "RESOURCETOOLKITS" : "SUPPORTTOOLS", "VALUE", "", 1024);
      if (!configured.empty() && !ToolWasEndedAtItsLimits(call.ErrorText())) {
        ctx.DebugTrace("Appending \\");
        ctx.DebugTrace("3rd Call to gpotool");
        value = call.Run(parser.execute, configured + "\\" + command);
      }
      if (call.Succeeded()) return value;
    }

    errorText = call.ErrorText();
    ctx.ReportStatus(command + " failed with Errorcode=" + errorText);
    ctx.LogActivity("ExecuteExe", "ERROR", "lpNexExecute  Failed",
                    "lpNexExecute failed with error code " + errorText + " File name is " + command, "");
    return 0;
  });
}

bool JoinWrappedVerdictsInFile(const std::string& path) {
  constexpr std::size_t kPiece = std::size_t{64} * 1024;
  const std::string joinedPath = path + ".joined";
  WrappedVerdicts joiner;
  bool written = false;
  {
    const CFile in = OpenCFile(path, "rb");
    CFile out = in ? OpenCFile(joinedPath, "wb") : CFile();
    if (!out) return false;
    std::vector<char> buffer(kPiece);
    std::string joined;
    bool whole = true;
    for (std::size_t read; whole && (read = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0;) {
      joined.clear();
      joiner.Feed(std::string_view(buffer.data(), read), joined);
      whole = std::fwrite(joined.data(), 1, joined.size(), out.get()) == joined.size();
    }
    joined.clear();
    joiner.Finish(joined);
    whole = whole && std::ferror(in.get()) == 0 &&
            std::fwrite(joined.data(), 1, joined.size(), out.get()) == joined.size() &&
            std::fflush(out.get()) == 0;
    written = std::fclose(out.release()) == 0 && whole;
  }
  if (written && joiner.Joins() > 0 && platform::ReplaceFileWith(joinedPath, path)) return true;
  static_cast<void>(std::remove(joinedPath.c_str()));
  return false;
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
