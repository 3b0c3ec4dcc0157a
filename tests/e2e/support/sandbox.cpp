#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "platform/handles.h"
#include "platform/ini.h"
#include "support/com_server.h"

namespace fs = std::filesystem;

namespace velkor::e2e {

namespace {

constexpr char kAgentKey[] = "SOFTWARE\\ZOVEZO";

std::string CurrentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "adhoc";
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

void SetOrDeleteValue(HKEY key, const char* name, const std::optional<std::string>& value) {
  if (value)
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                   static_cast<DWORD>(value->size() + 1));
  else
    RegDeleteValueA(key, name);
}

constexpr REGSAM kAccess32 = KEY_ALL_ACCESS | KEY_WOW64_32KEY;

platform::RegKey CreateKey(const char* path) {
  platform::RegKey key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, kAccess32, nullptr, key.receive(), nullptr);
  return key;
}

constexpr char kSupportToolsProductKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
    "DCB0F70FD6C59944F950E67D7470A827";
constexpr char kSupportToolsEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelkorE2ESupportTools";

}  // namespace

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  if (const DWORD size = GetEnvironmentVariableA(name, nullptr, 0); size != 0) {
    std::string former(size, '\0');
    former.resize(GetEnvironmentVariableA(name, former.data(), size));
    former_ = std::move(former);
  }
  SetEnvironmentVariableA(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableA(name_, former_ ? former_->c_str() : nullptr);
}

std::string HostName() {
  WSADATA data{};
  WSAStartup(MAKEWORD(2, 2), &data);
  char name[260] = {};
  gethostname(name, sizeof name);
  WSACleanup();
  return name;
}

void Sandbox::PrepareHost(const HostSetup& host) {
  hostPrepared_ = true;
  {
    platform::RegKey version = CreateKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    SetOrDeleteValue(version.get(), "CurrentVersion", host.osVersion);
  }
  if (host.ntdsServiceKey)
    (void)CreateKey("SYSTEM\\CurrentControlSet\\Services\\NTDS");  // created, then closed
  else
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\NTDS", KEY_WOW64_32KEY, 0);
  if (host.uninstallDisplayName)
    SetOrDeleteValue(CreateKey(kSupportToolsEntry).get(), "DisplayName", host.uninstallDisplayName);
  else
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kSupportToolsEntry, KEY_WOW64_32KEY, 0);
  if (host.supportToolsProductKey)
    (void)CreateKey(kSupportToolsProductKey);
  else
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kSupportToolsProductKey, KEY_WOW64_32KEY, 0);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string database = std::string(windows) + "\\NTDS\\ntds.dit";
  std::error_code ignored;
  if (host.ntdsDatabase)
    WriteWholeFile(database, "directory database");
  else
    fs::remove(database, ignored);
  const std::string deviceList = installationPath_ + "Configuration\\DeviceList.ini";
  if (host.deviceSection)
    WriteWholeFile(deviceList, "[" + HostName() + "]\r\n" + *host.deviceSection);
  else
    fs::remove(deviceList, ignored);
}

Sandbox::Sandbox() {
  installationPath_ = "C:\\velkor-e2e\\" + CurrentTestName() + "\\";
  programFolder_ = installationPath_ + "Nexagent\\";
  std::error_code ignored;
  fs::remove_all(installationPath_, ignored);
  fs::create_directories(installationPath_);
}

Sandbox::~Sandbox() {
  if (!registeredComponent_.empty()) velkor::testing::SelfRegister(registeredComponent_, true);
  if (!hostPrepared_) return;
  HostSetup fresh;
  fresh.osVersion = std::nullopt;
  fresh.ntdsServiceKey = false;
  fresh.ntdsDatabase = false;
  fresh.deviceSection = std::nullopt;
  PrepareHost(fresh);
}

void Sandbox::SetAgentValues(const std::optional<std::string>& installationPath,
                             const std::optional<std::string>& regId) {
  platform::RegKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                            nullptr, key.receive(), nullptr),
            ERROR_SUCCESS);
  SetOrDeleteValue(key.get(), "InstallationPath", installationPath);
  SetOrDeleteValue(key.get(), "REGID", regId);
}

void Sandbox::InstallProgram(bool withLogger) {
  fs::create_directories(programFolder_);
  std::vector<std::string> files = {"Velkor.exe", "NexParser.dll", "NexDBInterface.dll"};
  if (withLogger) files.push_back("TalLogger.dll");
  for (const auto& file : files)
    fs::copy_file(BinFolder() + file, programFolder_ + file, fs::copy_options::overwrite_existing);
  // In this process, of the program's width: the registry view the program reads.
  registeredComponent_ = programFolder_ + "NexDBInterface.dll";
  ASSERT_EQ(velkor::testing::SelfRegister(registeredComponent_, false), S_OK);
}

void Sandbox::InstallTools(const std::string& scenario, const std::string& hostName) const {
  fs::create_directories(programFolder_);
  for (const char* tool : velkor::testing::kFakeToolNames)
    fs::copy_file(BinFolder() + "faketool.exe", programFolder_ + tool + ".exe",
                  fs::copy_options::overwrite_existing);
  WriteWholeFile(programFolder_ + "faketool.ini", velkor::testing::FakeToolIni(scenario, hostName));
}

void Sandbox::SetToolOption(const std::string& tool, const std::string& key, const std::string& value) const {
  platform::IniWrite(programFolder_ + "faketool.ini", tool, key, value);
}

namespace {
const std::vector<std::string> kDatabaseColumns = {"RecordKey", "GroupID",  "TestID",     "TestName",
                                                   "DeviceID",  "Enabled",  "FunctionID", "Status",
                                                   "ErrorCode", "UpdatedAt"};

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}
}  // namespace

void Sandbox::WriteDatabase(const std::string& fileName, const std::vector<Record>& records) const {
  std::string text;
  const auto appendLine = [&](const auto& field) {
    for (std::size_t i = 0; i < kDatabaseColumns.size(); ++i)
      text += (i ? "\t" : "") + field(kDatabaseColumns[i]);
    text += "\r\n";
  };
  appendLine([](const std::string& column) { return column; });
  for (const Record& record : records)
    appendLine([&](const std::string& column) {
      const auto found = record.find(column);
      return found == record.end() ? std::string() : found->second;
    });
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
    Record record;
    for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i) record[header[i]] = fields[i];
    records.push_back(std::move(record));
  }
  return records;
}

std::vector<Record> RecordsOf(const std::vector<std::string>& functionIds) {
  std::vector<Record> records;
  for (const std::string& id : functionIds)
    records.push_back({{"RecordKey", std::to_string(records.size() + 1)}, {"FunctionID", id}});
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

platform::Handle Sandbox::StartVelkor(const std::vector<std::string>& arguments,
                                      const std::string& exeName) const {
  const std::string exe = programFolder_ + exeName;
  std::string commandLine = "\"" + exe + "\"";
  for (const auto& argument : arguments) commandLine += " " + argument;
  const std::string& folder = workingFolder_.empty() ? programFolder_ : workingFolder_;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info))
    throw std::runtime_error("cannot start " + exe + ": error " + std::to_string(GetLastError()));
  platform::Handle thread(info.hThread);
  return platform::Handle(info.hProcess);
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

Sandbox::Run Sandbox::RunVelkor(const std::vector<std::string>& arguments, const std::string& exeName) const {
  return WaitForEnd(StartVelkor(arguments, exeName));
}

std::string Sandbox::IniValue(const std::string& key, const std::string& section) const {
  return platform::IniReadString(AgentIniPath(), section, key, "<absent>", 2048);
}

void Sandbox::SetIniValue(const std::string& key, const std::string& value,
                          const std::string& section) const {
  fs::create_directories(fs::path(AgentIniPath()).parent_path());
  platform::IniWrite(AgentIniPath(), section, key, value);
}

std::vector<LogEntry> Sandbox::LogEntries() const {
  // A field may hold a line break (system error texts end with CRLF): a line
  // that does not start with a date continues the entry before it.
  std::vector<std::string> records;
  std::istringstream lines(ReadWholeFile(ActivityLogPath()));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("#Fields:", 0) == 0) continue;
    const bool startsEntry = line.size() > 10 && line[4] == '-' && line[7] == '-' && line[10] == ' ';
    if (startsEntry || records.empty())
      records.push_back(line);
    else
      records.back() += "\n" + line;
  }
  std::vector<LogEntry> entries;
  for (const auto& record : records) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (std::string::size_type tab; (tab = record.find('\t', start)) != std::string::npos; start = tab + 1)
      fields.push_back(record.substr(start, tab - start));
    fields.push_back(record.substr(start));
    fields.resize(7);
    entries.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]});
  }
  return entries;
}

std::vector<std::string> Sandbox::LogMessages() const {
  std::vector<std::string> messages;
  for (const auto& entry : LogEntries()) messages.push_back(entry.message);
  return messages;
}

std::vector<std::string> Sandbox::StatusFiles() const {
  // Ordered by the full-precision write time: names without leading zeros do
  // not sort by time, and the C runtime's times have whole seconds only.
  std::vector<std::pair<ULONGLONG, std::string>> found;
  WIN32_FIND_DATAA data{};
  platform::FindHandle search(FindFirstFileA((DevadEZ() + "*").c_str(), &data));
  for (bool more = static_cast<bool>(search); more; more = FindNextFileA(search.get(), &data)) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const ULONGLONG written =
        (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    found.emplace_back(written, data.cFileName);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (auto& file : found) names.push_back(std::move(file.second));
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
