#include "tool_command.h"

namespace nexparser {

std::wstring BuildCommandLine(std::wstring_view command, std::wstring_view parameters) {
  std::wstring line;
  const bool hasBlank = command.find_first_of(L" \t") != std::wstring_view::npos;
  if (hasBlank && command.front() != L'"') {
    line.append(L"\"").append(command).append(L"\"");
  } else {
    line.append(command);
  }
  if (!parameters.empty()) {
    if (parameters.front() != L' ' && parameters.front() != L'\t') line.push_back(L' ');
    line.append(parameters);
  }
  return line;
}

}  // namespace nexparser
