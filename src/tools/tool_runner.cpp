#include "tools/tool_runner.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "classify/tool_descriptors.h"
#include "core/guard.h"
#include "core/text.h"
#include "core/text_limits.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/phrase_list.h"
#include "tools/execute_call.h"
#include "tools/tool_start.h"

namespace velkor {

namespace {

const HandlerPolicy kExecuteExeHandler{.module = "ExecuteEXE",
                                       .message = "Exception occured in ExecuteEXE Failed",
                                       .detail = ErrorDetail::None,
                                       .reportStatus = false};
const HandlerPolicy kParseFromFileHandler{.module = "ParseFromFile",
                                          .message = "Exception occured in lpNexParseFile  Failed",
                                          .detail = ErrorDetail::None,
                                          .reportStatus = false};

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
    const ToolDescriptor* tool = FullRunTool(kind);
    const StandardFolder standard = tool != nullptr ? tool->folder : StandardFolder::None;
    if (standard != StandardFolder::None && !ToolWasEndedAtItsLimits(call.ErrorText())) {
      std::string folder = platform::ExpandEnvironment("%ProgramFiles%", 1024);
      ctx.DebugTrace("Local Path =>");
      ctx.DebugTrace(folder);
      if (standard == StandardFolder::ResourceKit) {
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
          standard == StandardFolder::ResourceKit ? "RESOURCETOOLKITS" : "SUPPORTTOOLS", "VALUE", "", 1024);
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

int LibraryCalls::Execute(const std::string& command, const std::string& parameters, int kind,
                          std::string& errorText) {
  return ExecuteExe(ctx_, parser_, command, parameters, kind, errorText);
}

int LibraryCalls::Search(const PhraseList& phrases, SearchHits& hits, std::string& errorText) {
  platform::Variant list, found;
  platform::StorePhraseList(phrases, list);
  const int value = ParseFromFile(ctx_, parser_, list, found, errorText);
  if (value != 0) {
    hits.hits = platform::ReadPhraseList(found);
    hits.phrases = platform::ReadPhraseList(list);
  }
  return value;
}

}  // namespace velkor
