// The command line the parser library starts a tool with. Portable.
#pragma once

#include <string>
#include <string_view>

namespace nexparser {

// `command` (a bare name or a full path) followed by `parameters`. A command
// holding blanks is quoted so that it names one program; one already quoted
// is left as it is. A blank separates the two unless the parameters begin
// with one.
std::wstring BuildCommandLine(std::wstring_view command, std::wstring_view parameters);

}  // namespace nexparser
