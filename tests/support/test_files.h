// Files for Windows tests: the folder of the built programs, and whole-file reads and writes.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velkor::testing {

// The folder holding the test programs and the built binaries (with a trailing backslash).
inline std::string BinFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path().string() + "\\";
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Creates the missing folders too.
inline void WriteWholeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// The fake diagnostic tools of the sandbox: copies of faketool.exe under these names.
inline constexpr const char* kFakeToolNames[] = {"net", "dcdiag", "netdiag", "gpotool", "repadmin", "netdom"};

// A recorded scenario of the source tree, as a Windows path through Wine's drive Z: (the Unix root).
inline std::string ScenarioFolder(const std::string& scenario) {
  std::string folder = std::getenv("VELKOR_SOURCE_DIR");
  for (char& c : folder)
    if (c == '/') c = '\\';
  return "Z:" + folder + "\\sandbox\\scenarios\\" + scenario;
}

// The faketool.ini that makes the tools replay `scenario`; "@HOST@" in its
// reports becomes `hostName` (by default the computer's name).
inline std::string FakeToolIni(const std::string& scenario, const std::string& hostName = "") {
  std::string ini = "[faketool]\r\nScenarioDir=" + ScenarioFolder(scenario) + "\r\n";
  if (!hostName.empty()) ini += "HostName=" + hostName + "\r\n";
  return ini;
}

}  // namespace velkor::testing
