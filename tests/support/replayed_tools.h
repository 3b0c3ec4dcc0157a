// The parser library natively: a tool prints a sandbox scenario's report as the
// fake tool does ("@HOST@" replaced, CR LF), searched with the library's search.
#pragma once

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>

#include "core/run_context.h"
#include "phrase_search.h"
#include "support/source_files.h"
#include "tools/parser_calls.h"

namespace velkor::testing {

class ReplayedTools : public ParserCalls {
 public:
  explicit ReplayedTools(RunContext& ctx) : ctx_(ctx) {}

  std::string scenario = "healthy";
  // By tool name ("net", "dcdiag", ...): what a tool prints instead of its
  // recorded report, the error text of one that cannot be started, and the
  // tools that run but leave no report at all.
  std::map<std::string, std::string> printed, failing;
  std::set<std::string> silent;
  // Searches that succeed before every further one fails with "5".
  int searchesLeft = 1 << 30;

  int Execute(const std::string& command, const std::string& parameters, int /*kind*/,
              std::string& errorText) override {
    std::string tool = command.substr(0, command.find('.'));
    for (char& c : tool) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (failing.contains(tool)) {
      errorText = failing[tool];
      return 0;
    }
    std::filesystem::remove(ctx_.ToolOutputPath);
    if (silent.contains(tool)) return 1;
    std::filesystem::create_directories(std::filesystem::path(ctx_.ToolOutputPath).parent_path());
    std::ofstream(ctx_.ToolOutputPath, std::ios::binary)
        << (printed.contains(tool) ? printed[tool] : Recorded(tool, parameters));
    return 1;
  }

  int Search(const PhraseList& phrases, SearchHits& hits, std::string& errorText) override {
    if (searchesLeft-- <= 0) {
      errorText = "5";
      return 0;
    }
    std::ifstream file(ctx_.ToolOutputPath, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(file), {}};
    if (text.starts_with("\xFF\xFE")) {  // UTF-16LE, narrowed as the library does for ASCII
      std::string narrow;
      for (std::size_t at = 2; at + 1 < text.size(); at += 2) narrow += text[at];
      text = narrow;
    }
    const std::vector<bool> found = nexparser::SearchText(text, phrases);
    for (std::size_t i = 0; i < phrases.size(); ++i) {
      hits.hits.emplace_back(found[i] ? "1" : "0");
      hits.phrases.push_back(phrases[i].empty() ? std::nullopt : std::optional<std::string>(phrases[i]));
    }
    return 1;
  }

 private:
  // "<tool>_<arguments>.txt" or "<tool>.txt" of the scenario or of the one it
  // is based on; the arguments' runs of other characters than letters,
  // digits, '-', '{' and '}' become one '_'.
  std::string Recorded(const std::string& tool, const std::string& parameters) const {
    std::string key = std::regex_replace(parameters, std::regex("[^A-Za-z0-9{}-]+"), "_");
    if (key.starts_with('_')) key.erase(0, 1);
    if (key.ends_with('_')) key.pop_back();
    for (std::string name = scenario; !name.empty();) {
      const std::string folder = "sandbox/scenarios/" + name + "/";
      for (const std::string& file : {tool + "_" + key, tool}) {
        if ((file == tool || !key.empty()) && std::filesystem::exists(SourcePath(folder + file + ".txt")))
          return Printed(ReadSourceFile(folder + file + ".txt"));
      }
      const std::string ini = ReadSourceFile(folder + "scenario.ini");
      const std::size_t base = ini.find("Base=");
      name =
          base == std::string::npos ? "" : ini.substr(base + 5, ini.find_first_of("\r\n", base) - base - 5);
    }
    return "";
  }
  static std::string Printed(const std::string& report) {
    return std::regex_replace(std::regex_replace(report, std::regex("@HOST@"), "DC01"), std::regex("\r?\n"),
                              "\r\n");
  }

  RunContext& ctx_;
};

}  // namespace velkor::testing
