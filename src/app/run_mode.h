#pragma once

#include <string>
#include <vector>

namespace velkor {

// The run mode from the arguments after the program name: exactly one argument
// is read as a decimal number; none, or two or more, mean 0 (the full run).
int ParseRunMode(const std::vector<std::string>& arguments);

}  // namespace velkor
