// A simulated agent installation for end-to-end runs of Velkor.exe under Wine:
// a fresh folder under C:\velkor-e2e, the agent's registry key pointing at it,
// the program and the stand-in libraries copied in, and readers for what the
// run leaves behind.
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

// Sets an environment variable for the programs a test starts, until it goes
// (it then has its former value again, or none).
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment();

 private:
  const char* name_;
  std::optional<std::string> former_;
};

// One activity-log entry split at its tabs.
struct LogEntry {
  std::string stamp, user, module, type, message, detail, extra;
};

// The host as the gates see it. The defaults make a domain controller that is
// monitored around the clock on every day.
struct HostSetup {
  std::optional<std::string> osVersion = "6.3";  // CurrentVersion; nullopt removes it
  bool ntdsServiceKey = true;
  bool ntdsDatabase = true;                         // %Windir%\NTDS\ntds.dit
  std::optional<std::string> uninstallDisplayName;  // an installed-programs entry with this name
  bool supportToolsProductKey = false;              // the installer's product key of the 5.2 Support Tools
  // The keys of this host's DeviceList.ini section; nullopt: no DeviceList.ini at all.
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

// One record of a monitoring database: column name to value. Columns left
// out are written empty.
using Record = std::map<std::string, std::string>;
// Records of these function IDs, keyed 1, 2, ...
std::vector<Record> RecordsOf(const std::vector<std::string>& functionIds);

// The host name as the program reads it.
std::string HostName();

class Sandbox {
 public:
  // A fresh installation folder named after the running test.
  Sandbox();
  ~Sandbox();

  // Writes (or with nullopt removes) the agent key's values.
  void SetAgentValues(const std::optional<std::string>& installationPath,
                      const std::optional<std::string>& regId);
  // Puts the program in `relative` below the installation folder instead of Nexagent.
  void UseProgramFolder(const std::string& relative) { programFolder_ = installationPath_ + relative; }
  // Moves the installation to `path` (ending with a backslash), with the program in its Nexagent folder.
  void UseInstallationPath(const std::string& path) {
    installationPath_ = path;
    programFolder_ = path + "Nexagent\\";
  }
  // Copies Velkor.exe and the stand-in libraries into the program folder and
  // registers the database component there; the sandbox unregisters it.
  void InstallProgram(bool withLogger = true);
  // Puts the fake diagnostic tools beside the program, replaying the recorded
  // `scenario` of the source tree; "@HOST@" in its reports becomes `hostName`
  // (by default the computer's name).
  void InstallTools(const std::string& scenario = "healthy", const std::string& hostName = "") const;
  // Sets a per-tool key of faketool.ini (the tool's section: its name without .exe).
  void SetToolOption(const std::string& tool, const std::string& key, const std::string& value) const;
  // Writes the monitoring database `fileName` (in DatabasesFolder) with the
  // component's column header and `records`, CRLF line ends.
  void WriteDatabase(const std::string& fileName, const std::vector<Record>& records) const;
  // The records of the monitoring database `fileName`, every column by its header name.
  std::vector<Record> ReadDatabase(const std::string& fileName) const;
  // "FunctionID=Status/ErrorCode" of every record of `fileName`, in file order, separated by blanks.
  std::string Results(const std::string& fileName) const;
  // "Status/ErrorCode" of the records of `fileName`, by function ID (the last record of an ID).
  std::map<std::string, std::string> ResultsById(const std::string& fileName) const;
  // The daily result log the run wrote for the database `databaseName`; empty when there is none.
  std::string DailyLog(const std::string& databaseName) const;
  // Sets up the machine (registry, Windows folder) and DeviceList.ini. The
  // machine is left as a fresh prefix has it when the sandbox goes.
  void PrepareHost(const HostSetup& host = HostSetup{});

  struct Run {
    unsigned long exitCode = 0;
  };
  // Runs the program folder's `exeName` with `arguments`, waiting for its end.
  Run RunVelkor(const std::vector<std::string>& arguments = {},
                const std::string& exeName = "Velkor.exe") const;
  // Starts the program folder's Velkor.exe with `arguments` and returns at
  // once with its process.
  platform::Handle StartVelkor(const std::vector<std::string>& arguments = {},
                               const std::string& exeName = "Velkor.exe") const;
  // Waits up to a minute for a started run to end (it is ended and the test
  // fails when it does not).
  static Run WaitForEnd(const platform::Handle& process);
  // The folder runs start in (by default the program folder).
  void UseWorkingFolder(const std::string& folder) { workingFolder_ = folder; }

  const std::string& InstallationPath() const { return installationPath_; }  // ends with a backslash
  const std::string& ProgramFolder() const { return programFolder_; }
  std::string AgentIniPath() const { return installationPath_ + "Nexagent\\Config\\Velkor.ini"; }
  std::string ActivityLogPath() const {
    return installationPath_ + "nexagent\\ApplicationLog\\Velkor\\velkor.txt";
  }
  std::string DevadEZ() const { return installationPath_ + "DevadEZ\\"; }
  // Where the database component finds the monitoring databases.
  std::string DatabasesFolder() const { return installationPath_ + "Nexagent\\Config\\Databases\\"; }

  std::string IniValue(const std::string& key, const std::string& section = "VELKOR") const;
  void SetIniValue(const std::string& key, const std::string& value,
                   const std::string& section = "VELKOR") const;
  std::vector<LogEntry> LogEntries() const;
  // Messages of the log entries, in order.
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
