#include "hostchecks/os_version.h"

namespace velkor {

bool NormaliseOSVersion(std::string& version) {
  if (version == "5.0" || version == "5.2" || version == "6.0") return true;
  if (version == "6.1" || version == "6.2" || version == "6.3") {
    version = "6.0";
    return true;
  }
  return false;
}

std::string_view SupportToolsDisplayName(std::string_view version) {
  if (version == "5.0") return "Windows 2000 Support Tools";
  if (version == "5.2") return "Windows Support Tools";
  return {};
}

std::string_view SupportToolsProductKey(std::string_view version) {
  if (version == "5.0")
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
           "DC5632422F082D1189A9000CF497879A";
  if (version == "5.2")
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
           "DCB0F70FD6C59944F950E67D7470A827";
  return {};
}

}  // namespace velkor
