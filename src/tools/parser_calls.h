// The parser library as a tool's evaluation calls it: running the tool into
// ToolOutputPath and searching that report for phrases. The program goes
// through the library's exports (LibraryCalls, tool_runner.h); tests replay
// recorded reports and search them plainly. Portable.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/phrase_list.h"

namespace velkor {

// The outcome of one search: one hit text per phrase, in phrase order (none
// where a hit cannot be read), and the phrases as the library left them.
struct SearchHits {
  std::vector<std::optional<std::string>> hits;
  std::vector<std::optional<std::string>> phrases;
};

class ParserCalls {
 public:
  ParserCalls() = default;
  ParserCalls(const ParserCalls&) = delete;
  ParserCalls& operator=(const ParserCalls&) = delete;
  virtual ~ParserCalls() = default;

  // Runs `command` with `parameters` as tool kind `kind` into ToolOutputPath,
  // trying the tool's other folders when the bare command cannot be started.
  // The library's value, or 0 with its error text in `errorText`.
  virtual int Execute(const std::string& command, const std::string& parameters, int kind,
                      std::string& errorText) = 0;
  // Searches ToolOutputPath for `phrases`. The library's value, or 0 with its
  // error text in `errorText`.
  virtual int Search(const PhraseList& phrases, SearchHits& hits, std::string& errorText) = 0;
};

}  // namespace velkor
