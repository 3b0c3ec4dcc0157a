#pragma once

#include <string>
#include <vector>

namespace velkor {

// Reads a number the way atoi does: optional blanks and sign, then leading digits; 0 when none.
int AtoiLike(const std::string& text);

// The run mode from the arguments after the program name: exactly one argument
// is read as a decimal number; none, or two or more, mean 0 (the full run).
int ParseRunMode(const std::vector<std::string>& arguments);

}  // namespace velkor
