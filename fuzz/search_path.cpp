// The PATH filter over any search path keeps only the folders given in full, in their order.
#include "core/search_path.h"

#include <regex>
#include <string>

#include "fuzz_support.h"

namespace {

using velkor::fuzz::Expect;
using velkor::fuzz::SplitAt;

// A folder given in full, as a pattern: a drive letter, a colon and a slash,
// or two slashes and a server's name; in quotes or not.
bool IsFull(std::string_view entry) {
  static const std::regex kFull(R"(^("?)([A-Za-z]:[\\/]|[\\/][\\/][^\\/])[\s\S]*\1$)");
  return std::regex_match(entry.begin(), entry.end(), kFull);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path = velkor::fuzz::InputText(data, size);
  std::string expected;
  for (const std::string_view entry : SplitAt(path, ';'))
    if (IsFull(entry)) expected.append(expected.empty() ? "" : ";").append(entry);
  const std::string kept = velkor::WithoutRelativeFolders(path);
  Expect(kept == expected, "other folders kept than the full ones, in their order");
  Expect(velkor::WithoutRelativeFolders(kept) == kept, "filtering twice changes the path");
  return 0;
}
