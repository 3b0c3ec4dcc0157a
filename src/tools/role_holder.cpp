#include "tools/role_holder.h"

#include "core/text.h"

namespace velkor {
namespace {

constexpr bool IsHostNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

}  // namespace

bool NamesHost(std::string_view text, std::string_view hostName) {
  if (hostName.empty() || text.size() < hostName.size()) return false;
  for (std::size_t at = 0; at + hostName.size() <= text.size(); ++at) {
    if (!EqualsIgnoringAsciiCase(text.substr(at, hostName.size()), hostName)) continue;
    const std::size_t end = at + hostName.size();
    const bool boundedBefore = at == 0 || !IsHostNameCharacter(text[at - 1]);
    const bool boundedAfter = end == text.size() || !IsHostNameCharacter(text[end]);
    if (boundedBefore && boundedAfter) return true;
  }
  return false;
}

std::string_view RoleLineHolder(std::string_view line) {
  const std::size_t last = line.find_last_not_of(" \t\r\n");
  line = last == std::string_view::npos ? std::string_view() : line.substr(0, last + 1);
  const std::size_t blank = line.rfind(' ');
  return blank == std::string_view::npos ? line : line.substr(blank + 1);
}

}  // namespace velkor
