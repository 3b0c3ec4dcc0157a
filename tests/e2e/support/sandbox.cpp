#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "platform/files.h"
#include "platform/ini.h"
#include "platform/system.h"
#include "support/com_server.h"

namespace fs = std::filesystem;

namespace velkor::e2e {

namespace {

constexpr char kAgentKey[] = "SOFTWARE\\ZOVEZO";
constexpr char kSupportToolsProductKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
    "DCB0F70FD6C59944F950E67D7470A827";
constexpr char kSupportToolsEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelkorE2ESupportTools";
const std::vector<std::string> kDatabaseColumns = {"RecordKey", "GroupID",  "TestID",     "TestName",
                                                   "DeviceID",  "Enabled",  "FunctionID", "Status",
                                                   "ErrorCode", "UpdatedAt"};

platform::RegKey CreateKey(const char* path) {
  platform::RegKey key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr,
                  key.receive(), nullptr);
  return key;
}

void SetKey(const char* path, bool present) {
  if (present)
    (void)CreateKey(path);  // created, then closed
  else
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY, 0);
}

void SetOrDeleteValue(HKEY key, const char* name, const std::optional<std::string>& value) {
  if (value)
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                   static_cast<DWORD>(value->size() + 1));
  else
    RegDeleteValueA(key, name);
}

void WriteOrRemove(const std::string& path, const std::optional<std::string>& content) {
  std::error_code ignored;
  if (content)
    WriteWholeFile(path, *content);
  else
    fs::remove(path, ignored);
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  if (const char* former = std::getenv(name)) former_ = former;
  SetEnvironmentVariableA(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableA(name_, former_ ? former_->c_str() : nullptr);
}

std::string HostName() { return platform::HostNameFromWinsock().value_or(""); }

platform::Handle StartProgram(const std::string& exe, const std::string& arguments,
                              const std::string& folder) {
  std::string commandLine = "\"" + exe + "\"" + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info))
    throw std::runtime_error("cannot start " + exe + ": error " + std::to_string(GetLastError()));
  platform::Handle thread(info.hThread);
  return platform::Handle(info.hProcess);
}

std::vector<Record> RecordsOf(const std::vector<std::string>& functionIds) {
  std::vector<Record> records;
  for (const std::string& id : functionIds)
    records.push_back({{"RecordKey", std::to_string(records.size() + 1)}, {"FunctionID", id}});
  return records;
}

Sandbox::Sandbox() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  installationPath_ = "C:\\velkor-e2e\\" + std::string(test->test_suite_name()) + "." + test->name() + "\\";
  programFolder_ = installationPath_ + "Nexagent\\";
  std::error_code ignored;
  fs::remove_all(installationPath_, ignored);
  fs::create_directories(installationPath_);
}

Sandbox::~Sandbox() {
  if (!registeredComponent_.empty()) velkor::testing::SelfRegister(registeredComponent_, true);
  if (hostPrepared_)
    PrepareHost(
        {.osVersion = std::nullopt, .ntdsServiceKey = false, .ntdsDatabase = false, .deviceSection = {}});
}

void Sandbox::PrepareHost(const HostSetup& host) {
  hostPrepared_ = true;
  SetOrDeleteValue(CreateKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion").get(), "CurrentVersion",
                   host.osVersion);
  SetKey("SYSTEM\\CurrentControlSet\\Services\\NTDS", host.ntdsServiceKey);
  SetKey(kSupportToolsProductKey, host.supportToolsProductKey);
  SetKey(kSupportToolsEntry, host.uninstallDisplayName.has_value());
  if (host.uninstallDisplayName)
    SetOrDeleteValue(CreateKey(kSupportToolsEntry).get(), "DisplayName", host.uninstallDisplayName);
  WriteOrRemove(platform::WindowsDirectory() + "\\NTDS\\ntds.dit",
                host.ntdsDatabase ? std::optional<std::string>("directory database") : std::nullopt);
  WriteOrRemove(
      installationPath_ + "Configuration\\DeviceList.ini",
      host.deviceSection ? "[" + HostName() + "]\r\n" + *host.deviceSection : std::optional<std::string>());
}

void Sandbox::SetAgentValues(const std::optional<std::string>& installationPath,
                             const std::optional<std::string>& regId) {
  const platform::RegKey key = CreateKey(kAgentKey);
  ASSERT_TRUE(key);
  SetOrDeleteValue(key.get(), "InstallationPath", installationPath);
  SetOrDeleteValue(key.get(), "REGID", regId);
}

void Sandbox::InstallProgram() {
  fs::create_directories(programFolder_);
  for (const char* file : {"Velkor.exe", "NexParser.dll", "NexDBInterface.dll", "TalLogger.dll"})
    fs::copy_file(BinFolder() + file, programFolder_ + file, fs::copy_options::overwrite_existing);
  // In this process, of the program's width: the registry view the program reads.
  registeredComponent_ = programFolder_ + "NexDBInterface.dll";
  ASSERT_EQ(velkor::testing::SelfRegister(registeredComponent_, false), S_OK);
}

void Sandbox::InstallTools(const std::string& scenario) const {
  fs::create_directories(programFolder_);
  for (const char* tool : velkor::testing::kFakeToolNames)
    fs::copy_file(BinFolder() + "faketool.exe", programFolder_ + tool + ".exe",
                  fs::copy_options::overwrite_existing);
  WriteWholeFile(programFolder_ + "faketool.ini", velkor::testing::FakeToolIni(scenario));
}

void Sandbox::SetToolOption(const std::string& tool, const std::string& key, const std::string& value) const {
  platform::IniWrite(programFolder_ + "faketool.ini", tool, key, value);
}

void Sandbox::WriteDatabase(const std::string& fileName, const std::vector<Record>& records) const {
  std::vector<Record> rows = {{}};  // the header first
  for (const std::string& column : kDatabaseColumns) rows[0][column] = column;
  rows.insert(rows.end(), records.begin(), records.end());
  std::string text;
  for (Record& row : rows) {
    for (const std::string& column : kDatabaseColumns)
      text += (column == "RecordKey" ? "" : "\t") + row[column];
    text += "\r\n";
  }
  WriteWholeFile(DatabasesFolder() + fileName, text);
}

std::vector<Record> Sandbox::ReadDatabase(const std::string& fileName) const {
  std::istringstream in(ReadWholeFile(DatabasesFolder() + fileName));
  std::vector<Record> records;
  std::vector<std::string> header;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitFields(line);
    if (header.empty()) {
      header = fields;
      continue;
    }
    Record& record = records.emplace_back();
    for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i) record[header[i]] = fields[i];
  }
  return records;
}

std::string Sandbox::Results(const std::string& fileName) const {
  std::string results;
  for (Record& r : ReadDatabase(fileName))
    results += (results.empty() ? "" : " ") + r["FunctionID"] + "=" + r["Status"] + "/" + r["ErrorCode"];
  return results;
}

std::map<std::string, std::string> Sandbox::ResultsById(const std::string& fileName) const {
  std::map<std::string, std::string> results;
  for (Record& r : ReadDatabase(fileName)) results[r["FunctionID"]] = r["Status"] + "/" + r["ErrorCode"];
  return results;
}

std::string Sandbox::DailyLog(const std::string& databaseName) const {
  for (const std::string& file : AllFiles())
    if (file.find("DataDirectory\\" + databaseName + "\\") != std::string::npos)
      return ReadWholeFile(InstallationPath() + file);
  return "";
}

platform::Handle Sandbox::StartVelkor(const std::vector<std::string>& arguments) const {
  std::string joined;
  for (const auto& argument : arguments) joined += " " + argument;
  return StartProgram(programFolder_ + "Velkor.exe", joined,
                      workingFolder_.empty() ? programFolder_ : workingFolder_);
}

Sandbox::Run Sandbox::WaitForEnd(const platform::Handle& process) {
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
    throw std::runtime_error("Velkor.exe did not end within a minute");
  }
  Run run;
  GetExitCodeProcess(process.get(), &run.exitCode);
  return run;
}

Sandbox::Run Sandbox::RunVelkor(const std::vector<std::string>& arguments) const {
  return WaitForEnd(StartVelkor(arguments));
}

std::string Sandbox::IniValue(const std::string& key, const std::string& section) const {
  return platform::IniReadString(AgentIniPath(), section, key, "<absent>", 2048);
}

void Sandbox::SetIniValue(const std::string& key, const std::string& value,
                          const std::string& section) const {
  fs::create_directories(fs::path(AgentIniPath()).parent_path());
  platform::IniWrite(AgentIniPath(), section, key, value);
}

void Sandbox::ClearRunTraces() const {
  fs::remove(ActivityLogPath());
  fs::remove(AgentIniPath());
  fs::remove_all(DevadEZ());
}

std::vector<LogEntry> Sandbox::LogEntries() const {
  // A field may hold a line break (system error texts end with CRLF): a line
  // that does not start with a date continues the entry before it.
  std::vector<std::string> records;
  std::istringstream lines(ReadWholeFile(ActivityLogPath()));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("#Fields:", 0) == 0) continue;
    if (records.empty() || (line.size() > 10 && line[4] == '-' && line[7] == '-' && line[10] == ' '))
      records.push_back(line);
    else
      records.back() += "\n" + line;
  }
  std::vector<LogEntry> entries;
  for (const auto& record : records) {
    std::vector<std::string> f = SplitFields(record);
    f.resize(7);
    entries.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
  }
  return entries;
}

std::vector<std::string> Sandbox::LogMessages() const {
  std::vector<std::string> messages;
  for (const auto& entry : LogEntries()) messages.push_back(entry.message);
  return messages;
}

std::vector<std::string> Sandbox::StatusFiles() const {
  // By the full-precision write time: names without leading zeros do not
  // sort by time, and the C runtime's times have whole seconds only.
  std::vector<platform::FoundFile> found = platform::FindFiles(DevadEZ() + "*");
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return std::tie(a.lastWrite, a.name) < std::tie(b.lastWrite, b.name);
  });
  std::vector<std::string> names;
  for (const auto& file : found) names.push_back(file.name);
  return names;
}

std::vector<std::string> Sandbox::AllFiles() const {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(installationPath_))
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), installationPath_).string());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace velkor::e2e
