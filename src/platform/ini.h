// Private-profile (INI) files: sections and keys are matched without regard to case.
#pragma once

#include <cstddef>
#include <string>

namespace velkor::platform {

// The value of `key`, read into a buffer of `bufferSize` bytes (so at most
// bufferSize - 1 characters); `defaultValue` when the key is absent.
std::string IniReadString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t bufferSize);
int IniReadInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue);
// Returns false when the value could not be written; callers mostly ignore it.
bool IniWrite(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value);

}  // namespace velkor::platform
