// A simulated agent installation for end-to-end runs of Velkor.exe under Wine,
// and readers for what the runs leave behind.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "support/test_files.h"

namespace velkor::e2e {

using velkor::testing::BinFolder;
using velkor::testing::ReadWholeFile;
using velkor::testing::WriteWholeFile;

// An environment variable for the programs a test starts, restored when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();

 private:
  const char* name_;
  std::optional<std::string> former_;
};

// One activity-log entry split at its tabs.
struct LogEntry {
  std::string stamp, user, module, type, message, detail, extra;
};

// The host as the gates see it; the defaults pass every gate, on every day and hour.
struct HostSetup {
  std::optional<std::string> osVersion = "6.3";  // CurrentVersion; nullopt removes it
  bool ntdsServiceKey = true;
  bool ntdsDatabase = true;                              // %Windir%\NTDS\ntds.dit
  std::optional<std::string> uninstallDisplayName = {};  // an installed-programs entry
  bool supportToolsProductKey = false;                   // the 5.2 Support Tools' installer key
  // This host's DeviceList.ini section; nullopt: no DeviceList.ini.
  std::optional<std::string> deviceSection =
      "TYPE=1\r\nLOCALMACHINE=Y\r\nENABLE=1\r\nFROMTIME=0:0:0\r\nTOTIME=23:59:59\r\nDAYSTOMONITOR=0,1,2,3,4,"
      "5,6\r\n";
};

// The activity-log messages of a run that passes every gate, up to the hand-over.
inline const std::vector<std::string> kPassedGatesMessages = {
    "Main Function Started",  "All Conditions satisfied in the devicelist.ini file",
    "OS Version is matched",  "supports OS version",
    "RegOpenKeyEx Success",   "it is domain controller",
    "Contians support tools",
};

// A monitoring database record, column name to value; missing columns are empty.
using Record = std::map<std::string, std::string>;
// Records of these function IDs, keyed 1, 2, ...
std::vector<Record> RecordsOf(const std::vector<std::string>& functionIds);

// The host name as the program reads it.
std::string HostName();

// Starts `exe` in `folder`; `arguments` follow the quoted name as they are (" a b").
platform::Handle StartProgram(const std::string& exe, const std::string& arguments,
                              const std::string& folder);

class Sandbox {
 public:
  // A fresh installation folder named after the running test.
  Sandbox();
  ~Sandbox();

  // Writes (or with nullopt removes) the agent key's values.
  void SetAgentValues(const std::optional<std::string>& installationPath,
                      const std::optional<std::string>& regId);
  // Another installation folder (ending with a backslash) and program folder than the Nexagent one.
  void UseFolders(const std::string& installation, const std::string& program) {
    installationPath_ = installation;
    programFolder_ = program;
  }
  // The program and stand-in libraries, the database component registered until the sandbox goes.
  void InstallProgram();
  // The fake diagnostic tools beside the program, replaying a recorded scenario.
  void InstallTools(const std::string& scenario = "healthy") const;
  // A per-tool key of faketool.ini (section: the tool's name without .exe).
  void SetToolOption(const std::string& tool, const std::string& key, const std::string& value) const;
  // The monitoring database `fileName` with the component's header, CRLF line ends.
  void WriteDatabase(const std::string& fileName, const std::vector<Record>& records) const;
  std::vector<Record> ReadDatabase(const std::string& fileName) const;
  // "FunctionID=Status/ErrorCode" of every record, in file order, separated by blanks.
  std::string Results(const std::string& fileName) const;
  // "Status/ErrorCode" by function ID (of its last record).
  std::map<std::string, std::string> ResultsById(const std::string& fileName) const;
  // The daily result log of the database `databaseName`; empty when there is none.
  std::string DailyLog(const std::string& databaseName) const;
  // The registry, %Windir% and DeviceList.ini, as a fresh prefix has them again when the sandbox goes.
  void PrepareHost(const HostSetup& host = HostSetup{});

  struct Run {
    unsigned long exitCode = 0;
  };
  Run RunVelkor(const std::vector<std::string>& arguments = {}) const;
  platform::Handle StartVelkor(const std::vector<std::string>& arguments = {}) const;
  // Waits up to a minute for a started run to end; ends it and throws when it does not.
  static Run WaitForEnd(const platform::Handle& process);
  // The folder runs start in (by default the program folder).
  void UseWorkingFolder(const std::string& folder) { workingFolder_ = folder; }
  // Removes the activity log, the agent INI file and the status files.
  void ClearRunTraces() const;

  const std::string& InstallationPath() const { return installationPath_; }  // ends with a backslash
  const std::string& ProgramFolder() const { return programFolder_; }
  std::string AgentIniPath() const { return installationPath_ + "Nexagent\\Config\\Velkor.ini"; }
  std::string ActivityLogPath() const {
    return installationPath_ + "nexagent\\ApplicationLog\\Velkor\\velkor.txt";
  }
  std::string DevadEZ() const { return installationPath_ + "DevadEZ\\"; }
  std::string DatabasesFolder() const { return installationPath_ + "Nexagent\\Config\\Databases\\"; }

  std::string IniValue(const std::string& key, const std::string& section = "VELKOR") const;
  void SetIniValue(const std::string& key, const std::string& value,
                   const std::string& section = "VELKOR") const;
  std::vector<LogEntry> LogEntries() const;
  std::vector<std::string> LogMessages() const;
  // Names of the files in DevadEZ, oldest first.
  std::vector<std::string> StatusFiles() const;
  // Every file below the installation folder, relative to it.
  std::vector<std::string> AllFiles() const;

 private:
  std::string installationPath_;
  std::string programFolder_;
  std::string workingFolder_;  // empty: the program folder
  bool hostPrepared_ = false;
  std::string registeredComponent_;  // the database component's DLL, while registered
};

}  // namespace velkor::e2e
