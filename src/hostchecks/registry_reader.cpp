#include "hostchecks/registry_reader.h"

#include <windows.h>

#include <string_view>

#include "core/text_limits.h"
#include "hostchecks/os_version.h"
#include "platform/registry.h"

namespace velkor {
namespace {

constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr std::size_t kVersionReadSize = 101;

}  // namespace

void CRegistry::SetLastErrorText(const std::string& text) {
  lastErrorText_ = Bounded(text, kLastErrorTextLimit);
}

bool CRegistry::Open(const std::string& subKey) {
  const LONG code = platform::OpenKey(current_, HKEY_LOCAL_MACHINE, subKey, platform::kReadAccess32);
  if (code == ERROR_SUCCESS) return true;
  SetLastErrorText("RegOpenKeyEx [" + std::to_string(code) + "]::" + platform::SystemMessage(code));
  return false;
}

bool CRegistry::ReadOSVersion(std::string& out) {
  platform::RegKey key;
  if (platform::OpenKey(key, HKEY_LOCAL_MACHINE, kVersionKey, platform::kReadAccess32) != ERROR_SUCCESS)
    return false;
  std::string value;
  if (platform::QueryText(key, "CurrentVersion", kVersionReadSize, value) != ERROR_SUCCESS) return false;
  out = std::move(value);
  if (const std::string_view name = SupportToolsDisplayName(out); !name.empty()) expectedDisplayName_ = name;
  return NormaliseOSVersion(out);
}

bool CRegistry::FindSupportToolsInUninstall(const std::string& osVersion) {
  const bool opened = Open(kUninstallKey);
  if (const std::string_view name = SupportToolsDisplayName(osVersion); !name.empty())
    expectedDisplayName_ = name;
  if (!opened) return false;
  DWORD count = 0;
  if (platform::SubKeyCount(current_, count) != ERROR_SUCCESS || count == 0) {
    current_.reset();
    return false;
  }
  for (DWORD i = 0; i < count; ++i) {
    std::string name;
    if (platform::SubKeyName(current_, i, name) != ERROR_SUCCESS) continue;
    if (MatchDisplayName(kUninstallPrefix + name)) {
      current_.reset();
      return true;
    }
  }
  current_.reset();
  return false;
}

bool CRegistry::MatchDisplayName(const std::string& subKeyPath) const {
  platform::RegKey key;
  if (platform::OpenKey(key, HKEY_LOCAL_MACHINE, subKeyPath, platform::kReadAccess32) != ERROR_SUCCESS)
    return false;
  std::string displayName;
  if (platform::QueryText(key, "DisplayName", limits::kRegistryValue, displayName) != ERROR_SUCCESS)
    return false;
  return !expectedDisplayName_.empty() && displayName == expectedDisplayName_;
}

bool CRegistry::HasSupportToolsProductKey(const std::string& osVersion) {
  const std::string_view productKey = SupportToolsProductKey(osVersion);
  if (productKey.empty()) return false;
  platform::RegKey key;
  return platform::OpenKey(key, HKEY_LOCAL_MACHINE, std::string(productKey), platform::kReadAccess32) ==
         ERROR_SUCCESS;
}

}  // namespace velkor
