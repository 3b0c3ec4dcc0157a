// The fixture of every end-to-end test: an installed agent with the program,
// a monitored domain controller and the healthy tools; readers of what a run
// leaves behind.
#pragma once

#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/sandbox.h"

namespace velkor::e2e {

namespace fs = std::filesystem;

inline const std::string kDone = "Program exited Sucessfully.";
inline const std::string kTwelveHours = "Program exited Sucessfully for 12 HR schedule";
inline const std::regex kTimeStamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");

inline std::string Unrecognised(const std::string& tool) {
  return tool + " report not recognised (Errorcode=13)";
}

// The full paths of the running processes started from `folder`; with `end`, they are ended.
inline std::vector<std::string> ProcessesFrom(const std::string& folder, bool end = false) {
  std::vector<std::string> found;
  platform::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    const DWORD access = PROCESS_QUERY_LIMITED_INFORMATION | (end ? PROCESS_TERMINATE | SYNCHRONIZE : 0);
    platform::Handle process(OpenProcess(access, FALSE, entry.th32ProcessID));
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameA(process.get(), 0, path, &size) ||
        _strnicmp(path, folder.c_str(), folder.size()) != 0)
      continue;
    found.emplace_back(path);
    if (end && TerminateProcess(process.get(), 9)) WaitForSingleObject(process.get(), 5000);
  }
  return found;
}

// Holds `path` open the way another program might: `share` says what others may still do with it.
inline platform::FileHandle HoldOpen(const std::string& path, DWORD share) {
  return platform::FileHandle(
      CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The names of the files in `folder` that start with `prefix`, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder, const std::string& prefix = "") {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().starts_with(prefix))
      names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class AgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    box.PrepareHost();
    box.InstallTools("healthy");
  }
  // `version`; 5.2 with the support tools, so that netdiag runs.
  void OnVersion(const std::string& version) {
    HostSetup host;
    host.osVersion = version;
    if (version == "5.2") host.uninstallDisplayName = "Windows Support Tools";
    box.PrepareHost(host);
  }
  // The descriptions of the status files in DevadEZ, oldest first.
  std::vector<std::string> Reported() const {
    std::vector<std::string> descriptions;
    for (const std::string& file : box.StatusFiles()) {
      const std::string text = ReadWholeFile(box.DevadEZ() + file);
      const std::size_t start = text.find("<edesc><![CDATA[") + 16;
      descriptions.push_back(text.substr(start, text.find("]]></edesc>") - start));
    }
    return descriptions;
  }
  // The details of the log lines with `message`.
  std::vector<std::string> Details(const std::string& message) const {
    std::vector<std::string> details;
    for (const LogEntry& e : box.LogEntries())
      if (e.message == message) details.push_back(e.detail);
    return details;
  }
  // "message|detail|extra" of the log lines of `type`.
  std::vector<std::string> Lines(const std::string& type) const {
    std::vector<std::string> lines;
    for (const LogEntry& e : box.LogEntries())
      if (e.type == type) lines.push_back(e.message + "|" + e.detail + "|" + e.extra);
    return lines;
  }
  // Where the tools' outputs and the status files not yet delivered are.
  std::string LogFolder() const { return box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor\\"; }
  std::vector<std::string> WaitingStatusFiles() const { return FilesIn(LogFolder(), "radedavivururaz_"); }
  // A status to recover from: the next run reports its success.
  void SetFailedStatus() const {
    box.SetIniValue("STATUS", "2");
    box.SetIniValue("ERRORDESC", "net failed with Errorcode=2");
    box.SetIniValue("WEBPOST", "TRUE");
  }

  Sandbox box;
};

}  // namespace velkor::e2e
