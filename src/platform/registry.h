// Registry reads on top of the RegKey owner of handles.h: open, read a value
// into a bounded buffer, count and name subkeys. Every function returns the
// Win32 code (ERROR_SUCCESS on success) and changes its outputs only on success.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "platform/handles.h"

namespace velkor::platform {

// KEY_READ in the 32-bit view of the registry.
inline constexpr REGSAM kReadAccess32 = KEY_READ | KEY_WOW64_32KEY;  // 0x20219
// KEY_QUERY_VALUE in the 32-bit view.
inline constexpr REGSAM kQueryValueAccess32 = KEY_QUERY_VALUE | KEY_WOW64_32KEY;  // 0x201

// Opens `subKey` below `root` (options 0). `key` holds the new key on success
// and is closed on failure.
LONG OpenKey(RegKey& key, HKEY root, const std::string& subKey, REGSAM access);

// The raw data of value `name`, read into a buffer of `bufferSize` bytes:
// `data` receives exactly the bytes the registry returned. A longer value
// fails with ERROR_MORE_DATA. The value's type is not examined.
LONG QueryValue(const RegKey& key, const std::string& name, std::size_t bufferSize, std::string& data);

// As QueryValue, then cut at the first NUL, as a C string reads the bytes.
LONG QueryText(const RegKey& key, const std::string& name, std::size_t bufferSize, std::string& text);

// The number of subkeys (RegQueryInfoKeyA).
LONG SubKeyCount(const RegKey& key, DWORD& count);

// The name of subkey `index` (RegEnumKeyExA), read into a buffer of `bufferLength` characters.
LONG SubKeyName(const RegKey& key, DWORD index, std::string& name, DWORD bufferLength = 255);

// The system's text for `code` (FormatMessageA from the system, language 0,
// 1000-byte buffer); empty when the system has none.
std::string SystemMessage(DWORD code);

}  // namespace velkor::platform
