#include "registry_sandbox.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/handles.h"

namespace velkor::testing {
namespace {

constexpr REGSAM kWriteAccess32 = KEY_ALL_ACCESS | KEY_WOW64_32KEY;

bool KeyExists(const std::string& subKey) {
  platform::RegKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, key.receive()) ==
         ERROR_SUCCESS;
}

}  // namespace

RegistrySandbox::~RegistrySandbox() {
  for (auto value = savedValues_.rbegin(); value != savedValues_.rend(); ++value) {
    platform::RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, value->subKey.c_str(), 0, kWriteAccess32, key.receive()) !=
        ERROR_SUCCESS)
      continue;
    if (value->data)
      RegSetValueExA(key.get(), value->name.c_str(), 0, value->type,
                     reinterpret_cast<const BYTE*>(value->data->data()),
                     static_cast<DWORD>(value->data->size()));
    else
      RegDeleteValueA(key.get(), value->name.c_str());
  }
  for (auto created = createdKeys_.rbegin(); created != createdKeys_.rend(); ++created)
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, created->c_str(), KEY_WOW64_32KEY, 0);
}

void RegistrySandbox::CreateKey(const std::string& subKey) {
  std::string::size_type end = 0;
  do {
    end = subKey.find('\\', end + 1);
    const std::string prefix = subKey.substr(0, end);
    if (KeyExists(prefix)) continue;
    platform::RegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, prefix.c_str(), 0, nullptr, 0, kWriteAccess32, nullptr,
                              key.receive(), nullptr),
              ERROR_SUCCESS)
        << prefix;
    createdKeys_.push_back(prefix);
  } while (end != std::string::npos);
}

void RegistrySandbox::SetValue(const std::string& subKey, const std::string& name, unsigned long type,
                               const std::string& data) {
  CreateKey(subKey);
  platform::RegKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, kWriteAccess32, key.receive()),
            ERROR_SUCCESS);
  SavedValue saved{subKey, name, std::nullopt, 0};
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
    std::string old(size, '\0');
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &saved.type, reinterpret_cast<BYTE*>(old.data()),
                         &size) == ERROR_SUCCESS)
      saved.data = old.substr(0, size);
  }
  savedValues_.push_back(saved);
  ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
}

void RegistrySandbox::SetText(const std::string& subKey, const std::string& name, const std::string& value) {
  SetValue(subKey, name, REG_SZ, std::string(value.c_str(), value.size() + 1));
}

void RegistrySandbox::SetBytes(const std::string& subKey, const std::string& name, const std::string& bytes) {
  SetValue(subKey, name, REG_BINARY, bytes);
}

}  // namespace velkor::testing
