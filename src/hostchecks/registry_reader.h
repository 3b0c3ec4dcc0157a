// CRegistry: Velkor's read-only access to HKEY_LOCAL_MACHINE in the 32-bit
// view for the host checks: the Windows version and the Support Tools' traces
// (installed-programs list, installer product key).
#pragma once

#include <cstddef>
#include <string>

#include "platform/handles.h"

namespace velkor {

class CRegistry {
 public:
  // The last error text keeps at most this many characters.
  static constexpr std::size_t kLastErrorTextLimit = 1031;

  CRegistry() = default;
  CRegistry(const CRegistry&) = delete;
  CRegistry& operator=(const CRegistry&) = delete;

  // Opens `subKey` below HKEY_LOCAL_MACHINE as the current key. On failure
  // the last error text reads "RegOpenKeyEx [<code>]::<system text>".
  bool Open(const std::string& subKey);

  // Reads CurrentVersion of the Windows version key into `out` (101-byte
  // buffer) and answers whether that version is supported; 6.1 to 6.3 come
  // back as "6.0". A failed read leaves `out` unchanged and is unsupported.
  // On 5.0 and 5.2 it also sets the expected display name.
  bool ReadOSVersion(std::string& out);

  // Searches the installed-programs list for an entry whose DisplayName is
  // the Support Tools' name on `osVersion`.
  bool FindSupportToolsInUninstall(const std::string& osVersion);

  // True when DisplayName of `subKeyPath` equals the expected display name exactly.
  bool MatchDisplayName(const std::string& subKeyPath) const;

  // True when the Support Tools' installer product key of `osVersion` exists.
  static bool HasSupportToolsProductKey(const std::string& osVersion);

  const std::string& LastErrorText() const { return lastErrorText_; }
  const std::string& ExpectedDisplayName() const { return expectedDisplayName_; }

 private:
  void SetLastErrorText(const std::string& text);

  platform::RegKey current_;
  std::string lastErrorText_;
  std::string expectedDisplayName_;
};

}  // namespace velkor
