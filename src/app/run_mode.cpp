#include "app/run_mode.h"

#include "core/text.h"

namespace velkor {

int ParseRunMode(const std::vector<std::string>& arguments) {
  return arguments.size() == 1 ? AtoiLike(arguments.front()) : 0;
}

}  // namespace velkor
