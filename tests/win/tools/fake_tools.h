// The sandbox's fake diagnostic tools in a fresh agent folder, run through
// the loaded parser library: each replays the recorded report of a scenario
// from the source tree.
#pragma once

#include <windows.h>
// After windows.h.
#include <oleauto.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/library.h"
#include "platform/nexparser_api.h"
#include "support/test_files.h"
#include "tools/tool_runner.h"

namespace velkor::testing {

// A stand-in for str_nexexecute: a run that succeeds without writing any report.
inline int WINAPI SilentExecute(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                VARIANT*, VARIANT* result) {
  VariantClear(result);
  return 1;
}

class FakeTools {
 public:
  // Empties `root` (ending in a backslash), creates the agent's log folder and
  // puts the tools there; the root becomes the current folder, where a tool
  // is found before Wine's own net.exe. The folder goes with the owner.
  explicit FakeTools(std::string root) : root_(std::move(root)) {
    namespace fs = std::filesystem;
    fs::remove_all(root_);
    fs::create_directories(root_ + "nexagent\\ApplicationLog\\Velkor");
    for (const char* tool : kFakeToolNames)
      fs::copy_file(BinFolder() + "faketool.exe", root_ + tool + ".exe");
    SetCurrentDirectoryA(root_.c_str());
    library_ = platform::LoadModule(BinFolder() + "NexParser.dll");
    parser_ = {platform::ModuleExport<NexExecuteFn>(library_, kNexExecuteExport),
               platform::ModuleExport<NexParseFileFn>(library_, kNexParseFileExport)};
  }
  FakeTools(const FakeTools&) = delete;
  FakeTools& operator=(const FakeTools&) = delete;
  ~FakeTools() {
    SetCurrentDirectoryA(BinFolder().c_str());
    library_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // The tools replay `scenario`; "@HOST@" in its reports becomes `hostName`
  // (by default the computer's name).
  void UseScenario(const std::string& scenario, const std::string& hostName = "") const {
    WriteWholeFile(root_ + "faketool.ini", FakeToolIni(scenario, hostName));
  }
  // Takes a tool away, so that it cannot be run.
  void Remove(const std::string& tool) const { std::filesystem::remove(root_ + tool + ".exe"); }

  bool Loaded() const { return parser_.execute != nullptr && parser_.parseFile != nullptr; }
  const ParserEntryPoints& Parser() const { return parser_; }
  const std::string& Root() const { return root_; }

 private:
  std::string root_;
  platform::Module library_;
  ParserEntryPoints parser_;
};

}  // namespace velkor::testing
