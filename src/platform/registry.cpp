#include "platform/registry.h"

#include <utility>
#include <vector>

#include "platform/system.h"

namespace velkor::platform {

LONG OpenKey(RegKey& key, HKEY root, const std::string& subKey, REGSAM access) {
  HKEY opened = nullptr;
  const LONG code = RegOpenKeyExA(root, subKey.c_str(), 0, access, &opened);
  key.reset(code == ERROR_SUCCESS ? opened : nullptr);
  return code;
}

LONG QueryValue(const RegKey& key, const std::string& name, std::size_t bufferSize, std::string& data) {
  std::vector<char> buffer(bufferSize == 0 ? 1 : bufferSize);
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(bufferSize);
  const LONG code = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (code != ERROR_SUCCESS) return code;
  data.assign(buffer.data(), size < bufferSize ? size : bufferSize);
  return code;
}

LONG QueryText(const RegKey& key, const std::string& name, std::size_t bufferSize, std::string& text) {
  std::string data;
  const LONG code = QueryValue(key, name, bufferSize, data);
  if (code != ERROR_SUCCESS) return code;
  const std::size_t end = data.find('\0');
  if (end != std::string::npos) data.resize(end);
  text = std::move(data);
  return code;
}

LONG SubKeyCount(const RegKey& key, DWORD& count) {
  char className[260] = {};
  DWORD classLength = sizeof className;
  DWORD subKeys = 0;
  const LONG code = RegQueryInfoKeyA(key.get(), className, &classLength, nullptr, &subKeys, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr);
  if (code == ERROR_SUCCESS) count = subKeys;
  return code;
}

LONG SubKeyName(const RegKey& key, DWORD index, std::string& name, DWORD bufferLength) {
  std::vector<char> buffer(bufferLength + 1, '\0');
  DWORD length = bufferLength;
  const LONG code =
      RegEnumKeyExA(key.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (code == ERROR_SUCCESS) name.assign(buffer.data(), length < bufferLength ? length : bufferLength);
  return code;
}

std::string SystemMessage(DWORD code) {
  const std::string text = SystemErrorText(code, 0).value_or("");
  return text.substr(0, 999);
}

}  // namespace velkor::platform
