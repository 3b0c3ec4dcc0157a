#include "core/text.h"

#include <cstdlib>

namespace velkor {

int AtoiLike(const std::string& text) {
  // strtol avoids atoi's undefined behaviour on overflow; the result saturates instead.
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > 2147483647L) return 2147483647;
  if (value < -2147483647L - 1) return -2147483647 - 1;
  return static_cast<int>(value);
}

}  // namespace velkor
