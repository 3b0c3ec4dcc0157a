// Reads of the agent's values against Wine's registry: what the runs of
// Velkor.exe cannot show (failure texts, the buffer's edge, the view).
#include "app/agent_settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace velkor {
namespace {

constexpr char kAgentKey[] = "SOFTWARE\\VelkorHostChecksTest\\Agent";

// Keys and values written below HKEY_LOCAL_MACHINE in one registry view and
// removed again when the sandbox goes. A value that exists already fails the
// test instead of being overwritten, so the prefix is left as it was found.
class RegistrySandbox {
 public:
  RegistrySandbox() = default;
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;
  ~RegistrySandbox() {
    for (const auto& [view, subKey, name] : values_) {
      platform::RegKey key;
      if (Open(view, subKey, key) == ERROR_SUCCESS) RegDeleteValueA(key.get(), name.c_str());
    }
    for (auto created = keys_.rbegin(); created != keys_.rend(); ++created)
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, created->second.c_str(), created->first, 0);
  }

  // Writes exactly `data` (REG_SZ: with a terminating zero) into `subKey` of
  // `view`, creating it and every missing key above it.
  void SetValue(REGSAM view, const std::string& subKey, const std::string& name, std::string data,
                DWORD type = REG_SZ) {
    for (std::size_t end = subKey.find('\\');; end = subKey.find('\\', end + 1)) {
      platform::RegKey created;
      DWORD disposition = 0;
      ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.substr(0, end).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS | view, nullptr, created.receive(), &disposition),
                ERROR_SUCCESS);
      if (disposition == REG_CREATED_NEW_KEY) keys_.emplace_back(view, subKey.substr(0, end));
      if (end == std::string::npos) break;
    }
    platform::RegKey key;
    ASSERT_EQ(Open(view, subKey, key), ERROR_SUCCESS) << subKey;
    ASSERT_NE(RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS)
        << subKey << " already has " << name;
    values_.emplace_back(view, subKey, name);
    if (type == REG_SZ) data.push_back('\0');
    ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }

 private:
  static LONG Open(REGSAM view, const std::string& subKey, platform::RegKey& key) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_ALL_ACCESS | view, key.receive());
  }

  std::vector<std::pair<REGSAM, std::string>> keys_;  // created, in creation order
  std::vector<std::tuple<REGSAM, std::string, std::string>> values_;
};

std::string QueryFailure(const std::string& name, LONG code) {
  return std::string("RegQueryValueEx sec = ") + kAgentKey + " key = " + name + " [" + std::to_string(code) +
         "]::" + platform::SystemMessage(code);
}

// Velkor reads the 32-bit view into a 1024-byte buffer; 1024 bytes without a
// terminating zero fill it exactly.
TEST(AgentSettings, AgentValueOrTheFailureNamingKeyAndValue) {
  const std::string full(1024, 'x');
  RegistrySandbox registry;
  registry.SetValue(KEY_WOW64_32KEY, kAgentKey, "InstallationPath", "C:\\Agent\\");
  registry.SetValue(KEY_WOW64_32KEY, kAgentKey, "Full", full, REG_BINARY);
  registry.SetValue(KEY_WOW64_32KEY, kAgentKey, "TooLong", full + "y", REG_BINARY);
  registry.SetValue(KEY_WOW64_64KEY, kAgentKey, "REGID", "64-bit view only");
  const struct {
    std::string key, name, out, error;
  } cases[] = {
      {"SOFTWARE\\VelkorHostChecksTest\\Absent", "REGID", "none",
       "RegOpenKeyEx [2]::" + platform::SystemMessage(ERROR_FILE_NOT_FOUND)},
      {kAgentKey, "InstallationPath", "C:\\Agent\\", ""},
      {kAgentKey, "REGID", "none", QueryFailure("REGID", ERROR_FILE_NOT_FOUND)},
      {kAgentKey, "Full", full, ""},
      {kAgentKey, "TooLong", "none", QueryFailure("TooLong", ERROR_MORE_DATA)},
  };
  for (const auto& c : cases) {
    const AgentValue read = ReadAgentValue(c.key, c.name);
    EXPECT_EQ(read.value.value_or("none"), c.out) << c.name;
    EXPECT_EQ(read.failure, c.error);
  }
}

}  // namespace
}  // namespace velkor
