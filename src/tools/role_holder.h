// Reading who holds an operations-master role: the host named in a role line
// of "netdom query fsmo", or in the agent's list of role holders.
#pragma once

#include <string_view>

namespace velkor {

// True when `text` names `hostName` as a whole name: ASCII letters compared
// in either case, and the name bounded on each side by the start or end of
// the text or by a character that cannot be part of a host name (anything
// but a letter, a digit or "-"). "DC1" is named by "DC1", "dc1.corp.example",
// "DC2,DC1" and "CORP\DC1", not by "DC10" or "MYDC1". An empty host name is
// never named.
bool NamesHost(std::string_view text, std::string_view hostName);

// The holder's part of a role line: its last word, after the last blank once
// trailing blanks, tabs and the line end are set aside. A line without a
// blank is taken whole (without its line end).
std::string_view RoleLineHolder(std::string_view line);

}  // namespace velkor
