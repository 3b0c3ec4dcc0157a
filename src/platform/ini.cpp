#include "platform/ini.h"

#include <windows.h>

#include <vector>

namespace velkor::platform {

std::string IniReadString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::vector<char> buffer(bufferSize, '\0');
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                buffer.data(), static_cast<DWORD>(bufferSize), file.c_str());
  return std::string(buffer.data(), length < bufferSize ? length : bufferSize - 1);
}

int IniReadInt(const std::string& file, const std::string& section, const std::string& key,
               int defaultValue) {
  return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str()));
}

bool IniWrite(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

}  // namespace velkor::platform
