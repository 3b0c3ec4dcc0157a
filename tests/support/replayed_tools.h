// The parser library behind the evaluation's seam, natively: a tool prints
// the recorded report of a sandbox scenario (chosen as the sandbox's fake
// tool chooses it, "@HOST@" replaced, CR LF line ends) into ToolOutputPath,
// and reports are searched with the plain reference search.
#pragma once

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "core/run_context.h"
#include "support/reference_search.h"
#include "support/source_files.h"
#include "tools/parser_calls.h"

namespace velkor::testing {

class ReplayedTools : public ParserCalls {
 public:
  explicit ReplayedTools(RunContext& ctx, std::string scenario = "healthy")
      : ctx_(ctx), scenario_(std::move(scenario)) {}

  void UseScenario(const std::string& scenario) { scenario_ = scenario; }

  // What a tool prints instead of its recorded report, by tool name ("net",
  // "dcdiag", ...); and the error text of tools that cannot be started.
  std::map<std::string, std::string> printed;
  std::map<std::string, std::string> failing;
  // Tools that run but leave no report at all.
  std::set<std::string> silent;
  // Searches that succeed before every further one fails with "5".
  int searchesLeft = 1 << 30;
  std::string host = "DC01";

  int Execute(const std::string& command, const std::string& parameters, int /*kind*/,
              std::string& errorText) override {
    const std::string tool = ToolName(command);
    if (const auto failure = failing.find(tool); failure != failing.end()) {
      errorText = failure->second;
      return 0;
    }
    if (silent.contains(tool)) {
      std::filesystem::remove(ctx_.ToolOutputPath);
      return 1;
    }
    const auto chosen = printed.find(tool);
    const std::string report = chosen != printed.end() ? chosen->second : Recorded(tool, parameters);
    std::filesystem::create_directories(std::filesystem::path(ctx_.ToolOutputPath).parent_path());
    std::FILE* file = std::fopen(ctx_.ToolOutputPath.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(report.data(), 1, report.size(), file);
    std::fclose(file);
    return 1;
  }

  int Search(const PhraseList& phrases, SearchHits& hits, std::string& errorText) override {
    if (searchesLeft-- <= 0) {
      errorText = "5";
      return 0;
    }
    std::string text = ReadFile(ctx_.ToolOutputPath);
    if (text.starts_with("\xFF\xFE")) {  // UTF-16LE, narrowed as the library does for ASCII
      std::string narrow;
      for (std::size_t at = 2; at + 1 < text.size(); at += 2) narrow += text[at];
      text = narrow;
    }
    const std::vector<bool> found = nexparser::ReferenceSearch(text, phrases);
    for (std::size_t i = 0; i < phrases.size(); ++i) {
      hits.hits.emplace_back(found[i] ? "1" : "0");
      hits.phrases.push_back(phrases[i].empty() ? std::nullopt : std::optional<std::string>(phrases[i]));
    }
    return 1;
  }

 private:
  static std::string ToolName(const std::string& command) {
    std::string name = command.substr(0, command.find('.'));
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
  }
  static std::string ReadFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
      std::fclose(file);
    }
    return text;
  }
  // "<tool>_<arguments>.txt" or "<tool>.txt" of the scenario or of the one it is based on.
  std::string Recorded(const std::string& tool, const std::string& parameters) const {
    std::string key;
    for (const char c : parameters) {
      const bool kept = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '{' || c == '}';
      if (kept)
        key += c;
      else if (!key.empty() && key.back() != '_')
        key += '_';
    }
    while (!key.empty() && key.back() == '_') key.pop_back();
    for (std::string scenario = scenario_; !scenario.empty();) {
      const std::string folder = "sandbox/scenarios/" + scenario + "/";
      for (const std::string& name : {tool + "_" + key + ".txt", tool + ".txt"}) {
        if (key.empty() && name != tool + ".txt") continue;
        if (std::filesystem::exists(SourcePath(folder + name))) return Printed(ReadSourceFile(folder + name));
      }
      const std::string ini = ReadSourceFile(folder + "scenario.ini");
      const std::size_t base = ini.find("Base=");
      scenario =
          base == std::string::npos ? "" : ini.substr(base + 5, ini.find_first_of("\r\n", base) - base - 5);
    }
    return "";
  }
  std::string Printed(const std::string& report) const {
    std::string out;
    for (std::size_t i = 0; i < report.size(); ++i) {
      if (report.compare(i, 6, "@HOST@") == 0) {
        out += host;
        i += 5;
      } else {
        if (report[i] == '\n' && (i == 0 || report[i - 1] != '\r')) out += '\r';
        out += report[i];
      }
    }
    return out;
  }

  RunContext& ctx_;
  std::string scenario_;
};

}  // namespace velkor::testing
