// The host checks against Wine's registry (32-bit view), %Windir% and
// DeviceList.ini; the decisions themselves are unit-tested.
#include "hostchecks/host_checks.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/guard.h"
#include "hostchecks/registry_reader.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "support/fake_run_context.h"

namespace fs = std::filesystem;

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;

constexpr char kAgentKey[] = "SOFTWARE\\VelkorHostChecksTest\\Agent";
constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kProducts[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\";
constexpr char kNtdsKey[] = "SYSTEM\\CurrentControlSet\\Services\\NTDS";

// Keys and values written in the 32-bit view of HKEY_LOCAL_MACHINE, where
// Velkor reads them, and removed again when the sandbox goes. A value that
// exists already fails the test instead of being overwritten, so the prefix
// is left as it was found.
class RegistrySandbox {
 public:
  RegistrySandbox() = default;
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;
  ~RegistrySandbox() {
    for (const auto& [subKey, name] : values_) {
      platform::RegKey key;
      if (Open(subKey, key) == ERROR_SUCCESS) RegDeleteValueA(key.get(), name.c_str());
    }
    for (auto created = keys_.rbegin(); created != keys_.rend(); ++created)
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, created->c_str(), KEY_WOW64_32KEY, 0);
  }

  // Creates `subKey` and every missing key above it.
  void CreateKey(const std::string& subKey) {
    for (std::size_t end = subKey.find('\\');; end = subKey.find('\\', end + 1)) {
      platform::RegKey key;
      DWORD disposition = 0;
      ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.substr(0, end).c_str(), 0, nullptr, 0,
                                kWriteAccess, nullptr, key.receive(), &disposition),
                ERROR_SUCCESS);
      if (disposition == REG_CREATED_NEW_KEY) keys_.push_back(subKey.substr(0, end));
      if (end == std::string::npos) return;
    }
  }

  // Writes exactly `data` (REG_SZ: with a terminating zero), creating the key.
  void SetValue(const std::string& subKey, const std::string& name, std::string data, DWORD type = REG_SZ) {
    CreateKey(subKey);
    platform::RegKey key;
    ASSERT_EQ(Open(subKey, key), ERROR_SUCCESS) << subKey;
    ASSERT_NE(RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS)
        << subKey << " already has " << name;
    values_.emplace_back(subKey, name);
    if (type == REG_SZ) data.push_back('\0');
    ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }

 private:
  static constexpr REGSAM kWriteAccess = KEY_ALL_ACCESS | KEY_WOW64_32KEY;
  static LONG Open(const std::string& subKey, platform::RegKey& key) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, kWriteAccess, key.receive());
  }

  std::vector<std::string> keys_;                            // created, in creation order
  std::vector<std::pair<std::string, std::string>> values_;  // key, value name
};

// The value, or none when the key or value is missing.
std::optional<std::string> ReadValue(const std::string& subKey, const std::string& name, REGSAM access) {
  platform::RegKey key;
  std::string text;
  if (platform::OpenKey(key, HKEY_LOCAL_MACHINE, subKey, access) != ERROR_SUCCESS ||
      platform::QueryText(key, name, 1024, text) != ERROR_SUCCESS)
    return std::nullopt;
  return text;
}

TEST(RegistryReader, AgentValueOrTheFailureNamingKeyAndValue) {
  RegistrySandbox registry;
  registry.SetValue(kAgentKey, "InstallationPath", "C:\\Agent\\");
  CRegistry reader;
  std::string out = "as before";
  EXPECT_FALSE(reader.ReadAgentValue("SOFTWARE\\VelkorHostChecksTest\\Absent", "REGID", out));
  EXPECT_EQ(reader.LastErrorText(), "RegOpenKeyEx [2]::" + platform::SystemMessage(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(reader.ReadAgentValue(kAgentKey, "REGID", out));
  EXPECT_EQ(reader.LastErrorText(), std::string("RegQueryValueEx sec = ") + kAgentKey +
                                        " key = REGID [2]::" + platform::SystemMessage(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(out, "as before");
  EXPECT_TRUE(reader.ReadAgentValue(kAgentKey, "InstallationPath", out));
  EXPECT_EQ(out, "C:\\Agent\\");
  EXPECT_EQ(reader.LastErrorText(), "") << "a new read starts clean";
}

// 1024 bytes without a terminating zero fill the buffer exactly.
TEST(RegistryReader, ValueFillingTheWholeBufferIsKeptWholeAndALongerOneFails) {
  RegistrySandbox registry;
  registry.SetValue(kAgentKey, "Full", std::string(1024, 'x'), REG_BINARY);
  registry.SetValue(kAgentKey, "TooLong", std::string(1025, 'y'), REG_BINARY);
  CRegistry reader;
  std::string out;
  EXPECT_TRUE(reader.ReadAgentValue(kAgentKey, "Full", out));
  EXPECT_EQ(out, std::string(1024, 'x'));
  EXPECT_FALSE(reader.ReadAgentValue(kAgentKey, "TooLong", out));
  EXPECT_EQ(out, std::string(1024, 'x'));
  EXPECT_EQ(reader.LastErrorText().rfind(
                std::string("RegQueryValueEx sec = ") + kAgentKey + " key = TooLong [234]::", 0),
            0u)
      << reader.LastErrorText();
}

TEST(CheckForOperatingSystem, ReadsCurrentVersionInThe32BitView) {
  const auto real = ReadValue(kVersionKey, "CurrentVersion", KEY_READ | KEY_WOW64_64KEY);
  ASSERT_FALSE(ReadValue(kVersionKey, "CurrentVersion", platform::kReadAccess32))
      << "the 32-bit view must start empty";
  const struct {
    std::optional<std::string> stored;  // none: no CurrentVersion value
    bool supported;
    std::string recorded;
  } cases[] = {
      {"5.0", true, "5.0"},    {"6.1", true, "6.0"}, {"5.1", false, "5.1"},
      {"5.0 ", false, "5.0 "}, {{}, false, ""},
  };
  for (const auto& c : cases) {
    RegistrySandbox registry;
    if (c.stored) registry.SetValue(kVersionKey, "CurrentVersion", *c.stored);
    FakeRunContext ctx;
    ctx.OSVersion = "stale";
    EXPECT_EQ(CheckForOperatingSystem(ctx), c.supported) << c.recorded;
    EXPECT_EQ(ctx.OSVersion, c.recorded);
    const LoggedLine line{"CheckForOperatingSystem", "Info", c.supported ? "OS Version is matched" : "",
                          c.supported ? "" : c.recorded + " OS Version is not matched", ""};
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>{line});
  }
  EXPECT_EQ(ReadValue(kVersionKey, "CurrentVersion", KEY_READ | KEY_WOW64_64KEY), real);
  EXPECT_FALSE(ReadValue(kVersionKey, "CurrentVersion", platform::kReadAccess32));
}

// Installed programs' display names are compared with case, against the name
// of the Windows version; then the version's installer product key is tried.
TEST(CheckForSupportTools, SearchesUninstallEntriesThenTheInstallerProductKey) {
  const std::string key52 = "DCB0F70FD6C59944F950E67D7470A827";
  const std::string key50 = "DC5632422F082D1189A9000CF497879A";
  const struct {
    std::string osVersion;
    std::vector<std::string> displayNames;  // one uninstall entry each; "": none
    std::string productKey;                 // "": none
    int result;
  } cases[] = {
      {"5.2", {"Other Product", "", "Windows Support Tools"}, "", 1},
      {"5.2", {"windows support tools"}, "", 0},
      {"5.0", {"Windows 2000 Support Tools"}, "", 1},
      {"5.2", {"Windows 2000 Support Tools"}, "", 0},
      {"5.2", {}, key52, 1},
      {"5.0", {}, key50, 1},
      {"5.2", {}, key50, 0},
  };
  for (const auto& c : cases) {
    RegistrySandbox registry;
    for (std::size_t i = 0; i < c.displayNames.size(); ++i) {
      const std::string entry = kUninstall + std::string("VelkorTest") + std::to_string(i);
      if (c.displayNames[i].empty())
        registry.CreateKey(entry);
      else
        registry.SetValue(entry, "DisplayName", c.displayNames[i]);
    }
    if (!c.productKey.empty()) registry.CreateKey(kProducts + c.productKey);
    FakeRunContext ctx;
    ctx.OSVersion = c.osVersion;
    EXPECT_EQ(CheckForSupportTools(ctx), c.result)
        << c.osVersion << (c.displayNames.empty() ? c.productKey : c.displayNames.back());
  }
}

TEST(IsDomainController, NeedsTheServiceKeyAndTheDirectoryDatabaseFile) {
  const std::string folder = platform::ExpandEnvironment("%Windir%") + "\\NTDS";
  ASSERT_FALSE(fs::exists(folder)) << "the prefix must start without a directory database";
  const LoggedLine opened{"IsDomainController", "Success", "RegOpenKeyEx Success", " ", " "};
  const struct {
    bool serviceKey, databaseFile;
    int result;
    LoggedLine line;
  } cases[] = {
      {true, false, 0, opened},
      {true, true, 1, opened},
      {false, true, 0, {"IsDomainController", "ERROR", "RegOpenKeyEx Failed", " ", " "}},
  };
  for (const auto& c : cases) {
    RegistrySandbox registry;
    if (c.serviceKey) registry.CreateKey(kNtdsKey);
    if (c.databaseFile) {
      fs::create_directory(folder);
      std::ofstream(folder + "\\ntds.dit") << "directory";
    }
    FakeRunContext ctx;
    EXPECT_EQ(IsDomainController(ctx), c.result) << c.serviceKey << c.databaseFile;
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>{c.line});
    fs::remove_all(folder);
  }
}

// This host's section in DeviceList.ini is found whatever the case of its
// name and among other sections; its values keep their inner blanks.
TEST(CheckPreConditions, TheHostSectionDecides) {
  const std::string host = platform::HostNameFromWinsock().value_or("");
  ASSERT_FALSE(host.empty());
  std::string upperHost = host;
  for (char& c : upperHost) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  const auto section = [](const std::string& name, const std::string& days, const std::string& type = "1") {
    return "[" + name + "]\r\nTYPE=" + type + "\r\nLocalMachine=Y\r\nenable=1\r\nFROMTIME=08:00:00\r\n" +
           "TOTIME=18:00:00\r\nDAYSTOMONITOR=" + days + "\r\n";
  };
  const struct {
    std::string content;
    int dayOfWeek;
    std::vector<LoggedLine> lines;
  } cases[] = {
      {section("OTHERHOST", "", "2") + section(upperHost, "0,6"), 6, {}},
      {section(host, "0, 1"),
       1,
       {{"CheckPreConditions", "Info", "DaysToMonitor is not matched in DeviceList.Ini", "", ""}}},
  };
  const std::string folder = "C:\\velkor-hostchecks\\";
  fs::create_directories(folder + "Configuration");
  for (const auto& c : cases) {
    std::ofstream(folder + "Configuration\\DeviceList.ini", std::ios::binary) << c.content;
    FakeRunContext ctx;
    ctx.InstallationPath = folder;
    ctx.clock = LocalTime{2014, 3, c.dayOfWeek, 5, 18, 0, 0, 0};
    EXPECT_EQ(CheckPreConditions(ctx), c.lines.empty()) << c.content;
    EXPECT_EQ(ctx.HostName, host);
    EXPECT_EQ(ctx.lines, c.lines);
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace velkor
