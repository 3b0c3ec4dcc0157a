// Running one diagnostic tool through the parser library, and searching its
// output file for phrases.
#pragma once

#include <string>

#include "core/run_context.h"
#include "platform/nexparser_api.h"
#include "platform/ole.h"
#include "tools/parser_calls.h"

namespace velkor {

// The parser library's entry points, taken by whoever loaded the library.
struct ParserEntryPoints {
  NexExecuteFn execute = nullptr;
  NexParseFileFn parseFile = nullptr;
};

// Runs `command` with `parameters` into ToolOutputPath (PrepareToolRun first),
// trying the Support Tools or Resource Kit folders when the bare command fails.
// Returns the library's value, or 0 with the library's error text in errorText.
int ExecuteExe(RunContext& ctx, const ParserEntryPoints& parser, const std::string& command,
               const std::string& parameters, int kind, std::string& errorText);

// Searches ToolOutputPath for `phrases` (an OLE array of texts); `hits` receives
// one "1"/"0" text per phrase. Returns the library's value, or 0 on failure.
int ParseFromFile(RunContext& ctx, const ParserEntryPoints& parser, platform::Variant& phrases,
                  platform::Variant& hits, std::string& errorText);

// The parser library's entry points behind the evaluation's seam.
class LibraryCalls final : public ParserCalls {
 public:
  LibraryCalls(RunContext& ctx, const ParserEntryPoints& parser) : ctx_(ctx), parser_(parser) {}
  int Execute(const std::string& command, const std::string& parameters, int kind,
              std::string& errorText) override;
  int Search(const PhraseList& phrases, SearchHits& hits, std::string& errorText) override;

 private:
  RunContext& ctx_;
  const ParserEntryPoints& parser_;
};

}  // namespace velkor
