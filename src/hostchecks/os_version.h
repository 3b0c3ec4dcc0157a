// Which Windows versions Velkor monitors, and how it finds the Support Tools on each.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// True for the supported versions "5.0", "5.2" and "6.0" to "6.3", compared
// exactly; "6.1", "6.2" and "6.3" are rewritten to "6.0".
bool NormaliseOSVersion(std::string& version);

// The DisplayName of the Support Tools in the installed-programs list on
// `version` ("5.0" or "5.2"); empty on other versions.
std::string_view SupportToolsDisplayName(std::string_view version);

// The Support Tools' installer product key below HKEY_LOCAL_MACHINE on
// `version` ("5.0" or "5.2"); empty on other versions.
std::string_view SupportToolsProductKey(std::string_view version);

}  // namespace velkor
