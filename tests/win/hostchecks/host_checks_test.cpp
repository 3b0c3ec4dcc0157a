#include "hostchecks/host_checks.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/guard.h"
#include "hostchecks/registry_reader.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "registry_sandbox.h"
#include "support/fake_run_context.h"

namespace fs = std::filesystem;

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::LoggedLine;
using testing::RegistrySandbox;

constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kProducts[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\";
constexpr char kNtdsKey[] = "SYSTEM\\CurrentControlSet\\Services\\NTDS";

// The value as Velkor would read it, or none when the key or value is missing.
std::optional<std::string> ReadValue(const std::string& subKey, const std::string& name, REGSAM access) {
  platform::RegKey key;
  std::string text;
  if (platform::OpenKey(key, HKEY_LOCAL_MACHINE, subKey, access) != ERROR_SUCCESS) return std::nullopt;
  if (platform::QueryText(key, name, 1024, text) != ERROR_SUCCESS) return std::nullopt;
  return text;
}

int ExitCodeOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const RunEnded& ended) {
    return ended.exitCode;
  }
  return -1;
}

struct VersionCase {
  std::optional<std::string> stored;  // none: no CurrentVersion value
  bool supported;
  std::string recorded;
};

TEST(CheckForOperatingSystem, ReadsCurrentVersionInThe32BitView) {
  const auto real = ReadValue(kVersionKey, "CurrentVersion", KEY_READ | KEY_WOW64_64KEY);
  ASSERT_FALSE(ReadValue(kVersionKey, "CurrentVersion", platform::kReadAccess32))
      << "the 32-bit view must start empty";
  const std::vector<VersionCase> cases = {
      {"5.0", true, "5.0"},    {"5.2", true, "5.2"},  {"6.1", true, "6.0"},    {"6.3", true, "6.0"},
      {"10.0", false, "10.0"}, {"5.1", false, "5.1"}, {"5.0 ", false, "5.0 "}, {std::nullopt, false, ""},
  };
  for (const auto& c : cases) {
    RegistrySandbox registry;
    if (c.stored) registry.SetText(kVersionKey, "CurrentVersion", *c.stored);
    FakeRunContext ctx;
    ctx.OSVersion = "stale";
    EXPECT_EQ(CheckForOperatingSystem(ctx), c.supported) << c.recorded;
    EXPECT_EQ(ctx.OSVersion, c.recorded);
    const LoggedLine line =
        c.supported ? LoggedLine{"CheckForOperatingSystem", "Info", "OS Version is matched", "", ""}
                    : LoggedLine{"CheckForOperatingSystem", "Info", "",
                                 c.recorded + " OS Version is not matched", ""};
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>{line});
  }
  EXPECT_EQ(ReadValue(kVersionKey, "CurrentVersion", KEY_READ | KEY_WOW64_64KEY), real);
  EXPECT_FALSE(ReadValue(kVersionKey, "CurrentVersion", platform::kReadAccess32));
}

TEST(CheckForOperatingSystem, VersionSetsTheExpectedSupportToolsName) {
  RegistrySandbox registry;
  registry.SetText(kVersionKey, "CurrentVersion", "5.0");
  CRegistry reader;
  std::string version;
  EXPECT_TRUE(reader.ReadOSVersion(version));
  EXPECT_EQ(reader.ExpectedDisplayName(), "Windows 2000 Support Tools");
}

struct SupportToolsCase {
  const char* name;
  std::string osVersion;
  std::vector<std::pair<std::string, std::string>> displayNames;  // uninstall subkey, DisplayName ("" = none)
  std::string productKey;                                         // "" = none
  int result;
  std::string message;  // "" = no line
};

TEST(CheckForSupportTools, SearchesUninstallEntriesThenTheInstallerProductKey) {
  const std::string key52 = "DCB0F70FD6C59944F950E67D7470A827";
  const std::string key50 = "DC5632422F082D1189A9000CF497879A";
  const std::vector<SupportToolsCase> cases = {
      {"found among other entries on 5.2",
       "5.2",
       {{"AAA Other", "Other Product"},
        {"BBB Nameless", ""},
        {"VelkorSupportTools", "Windows Support Tools"}},
       "",
       1,
       "Support tools found in unInstaller check"},
      {"name compared with case",
       "5.2",
       {{"VelkorSupportTools", "windows support tools"}},
       "",
       0,
       "No Support tools found"},
      {"the 2000 name on 5.0",
       "5.0",
       {{"VelkorSupportTools", "Windows 2000 Support Tools"}},
       "",
       1,
       "Support tools found in unInstaller check"},
      {"the 2000 name is not the 5.2 name",
       "5.2",
       {{"VelkorSupportTools", "Windows 2000 Support Tools"}},
       "",
       0,
       "No Support tools found"},
      {"installer product key on 5.2", "5.2", {}, key52, 1, "Support tools found in Installer check"},
      {"installer product key on 5.0", "5.0", {}, key50, 1, "Support tools found in Installer check"},
      {"product key of the other version", "5.2", {}, key50, 0, "No Support tools found"},
      {"nothing at all", "5.2", {}, "", 0, "No Support tools found"},
      {"6.0 needs no look-up", "6.0", {}, "", 1, ""},
  };
  for (const auto& c : cases) {
    RegistrySandbox registry;
    for (const auto& [subKey, displayName] : c.displayNames) {
      if (displayName.empty())
        registry.CreateKey(kUninstall + subKey);
      else
        registry.SetText(kUninstall + subKey, "DisplayName", displayName);
    }
    if (!c.productKey.empty()) registry.CreateKey(kProducts + c.productKey);
    FakeRunContext ctx;
    ctx.OSVersion = c.osVersion;
    EXPECT_EQ(CheckForSupportTools(ctx), c.result) << c.name;
    std::vector<LoggedLine> expected;
    if (!c.message.empty()) expected.push_back({"CheckForSupportTools", "Info", c.message, "", ""});
    EXPECT_EQ(ctx.lines, expected) << c.name;
  }
}

// %Windir%\NTDS\ntds.dit for the length of one case.
class DirectoryDatabaseFile {
 public:
  DirectoryDatabaseFile() {
    createdFolder_ = fs::create_directory(folder_);
    std::ofstream(file_) << "directory";
  }
  ~DirectoryDatabaseFile() {
    std::error_code ignored;
    fs::remove(file_, ignored);
    if (createdFolder_) fs::remove(folder_, ignored);
  }
  static std::string Path() { return platform::ExpandEnvironment("%Windir%") + "\\NTDS\\ntds.dit"; }

 private:
  std::string folder_ = platform::ExpandEnvironment("%Windir%") + "\\NTDS";
  std::string file_ = Path();
  bool createdFolder_ = false;
};

TEST(IsDomainController, NeedsTheServiceKeyAndTheDirectoryDatabaseFile) {
  ASSERT_FALSE(ReadValue(kNtdsKey, "", platform::kQueryValueAccess32) ||
               platform::FileExists(DirectoryDatabaseFile::Path()))
      << "the prefix must start without the directory service";
  const LoggedLine opened{"IsDomainController", "Success", "RegOpenKeyEx Success", " ", " "};
  const LoggedLine notOpened{"IsDomainController", "ERROR", "RegOpenKeyEx Failed", " ", " "};
  struct Case {
    bool serviceKey, databaseFile;
    int result;
    LoggedLine line;
  };
  for (const Case& c :
       {Case{false, true, 0, notOpened}, Case{true, false, 0, opened}, Case{true, true, 1, opened}}) {
    RegistrySandbox registry;
    if (c.serviceKey) registry.CreateKey(kNtdsKey);
    std::optional<DirectoryDatabaseFile> file;
    if (c.databaseFile) file.emplace();
    FakeRunContext ctx;
    EXPECT_EQ(IsDomainController(ctx), c.result) << c.serviceKey << c.databaseFile;
    EXPECT_EQ(ctx.lines, std::vector<LoggedLine>{c.line});
  }
}

class CheckPreConditionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    ctx_.InstallationPath = std::string("C:\\velkor-hostchecks\\") + info->name() + "\\";
    std::error_code ignored;
    fs::remove_all(ctx_.InstallationPath, ignored);
    fs::create_directories(ctx_.InstallationPath + "Configuration");
    host_ = platform::HostNameFromWinsock().value_or("");
    ASSERT_FALSE(host_.empty());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(ctx_.InstallationPath, ignored);
    fs::remove("C:\\velkor-hostchecks", ignored);  // only once it is empty
  }
  void WriteDeviceList(const std::string& content) {
    std::ofstream(ctx_.InstallationPath + "Configuration\\DeviceList.ini", std::ios::binary) << content;
  }
  std::string Section(const std::string& name, const std::string& days = "0,1,2,3,4,5,6",
                      const std::string& type = "1") {
    return "[" + name + "]\r\nTYPE=" + type + "\r\nLocalMachine=Y\r\nenable=1\r\nFROMTIME=08:00:00\r\n" +
           "TOTIME=18:00:00\r\nDAYSTOMONITOR=" + days + "\r\n";
  }
  std::vector<LoggedLine> Failure(const std::string& message) {
    return {{"CheckPreConditions", "Info", message, "", ""}};
  }

  FakeRunContext ctx_;
  std::string host_;
};

TEST_F(CheckPreConditionsTest, MissingDeviceListReportsAndEndsTheRun) {
  EXPECT_EQ(ExitCodeOf([&] { CheckPreConditions(ctx_); }), 0);
  EXPECT_EQ(ctx_.HostName, host_);
  EXPECT_EQ(ctx_.statuses, std::vector<std::string>{"DeviceList.ini File Not Found"});
  EXPECT_EQ(ctx_.lines, Failure("DeviceList.Ini File Not Found"));
  EXPECT_EQ(ctx_.cleanups, 1);
}

TEST_F(CheckPreConditionsTest, TheHostSectionDecides) {
  struct Case {
    std::string content;
    int hour, dayOfWeek;
    const char* message;  // nullptr: monitoring allowed
  };
  std::string upperHost = host_;
  for (char& c : upperHost) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  const std::vector<Case> cases = {
      {Section("OTHERHOST", "", "2") + Section(upperHost), 18, 6, nullptr},  // names ignore case
      {Section("OTHERHOST"), 12, 3, "Type is not matched in DeviceList.Ini"},
      {Section(host_, "0,1", "2"), 12, 3, "Type is not matched in DeviceList.Ini"},
      {Section(host_, "1,2,3,4,5"), 12, 0, "DaysToMonitor is not matched in DeviceList.Ini"},
      {Section(host_, "0, 1"), 12, 1, "DaysToMonitor is not matched in DeviceList.Ini"},  // blanks stay
  };
  for (const auto& c : cases) {
    FakeRunContext ctx;
    ctx.InstallationPath = ctx_.InstallationPath;
    WriteDeviceList(c.content);
    ctx.clock.hour = c.hour;
    ctx.clock.minute = 0;
    ctx.clock.second = 0;
    ctx.clock.dayOfWeek = c.dayOfWeek;
    EXPECT_EQ(CheckPreConditions(ctx), c.message == nullptr) << c.content;
    EXPECT_EQ(ctx.lines, c.message ? Failure(c.message) : std::vector<LoggedLine>{}) << c.content;
    EXPECT_TRUE(ctx.statuses.empty());
    EXPECT_EQ(ctx.cleanups, 0);
  }
}

TEST(ReadHostName, TakesTheWinsockHostName) {
  FakeRunContext ctx;
  ReadHostName(ctx);
  EXPECT_EQ(ctx.HostName, platform::HostNameFromWinsock().value_or("unset"));
  EXPECT_FALSE(ctx.HostName.empty());
}

}  // namespace
}  // namespace velkor
