// The PDC role holder over any netdom line or agent list agrees with plain
// readings: the line's last word, the text's names.
#include "tools/role_holder.h"

#include <algorithm>
#include <vector>

#include "core/text.h"
#include "fuzz_support.h"

namespace {

using velkor::fuzz::Expect;

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// The text's names: its longest runs of name characters.
std::vector<std::string_view> Names(std::string_view text) {
  std::vector<std::string_view> names;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t begin = at;
    while (at < text.size() && IsNameCharacter(text[at])) ++at;
    if (at > begin) names.push_back(text.substr(begin, at - begin));
  }
  return names;
}

}  // namespace

// Input: the text (a role line or the agent's list), a NUL, the host name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = velkor::fuzz::InputText(data, size);
  const std::size_t nul = input.find('\0');
  const std::string_view text = input.substr(0, nul);
  const std::string_view host = nul == std::string_view::npos ? "DC01" : input.substr(nul + 1);

  const std::string_view trimmed = text.substr(0, text.find_last_not_of(" \t\r\n") + 1);
  const std::size_t blank = trimmed.rfind(' ');
  const std::string_view holder = velkor::RoleLineHolder(text);
  Expect(holder == (blank == std::string_view::npos ? trimmed : trimmed.substr(blank + 1)),
         "the holder is not the line's last word");

  const bool named = velkor::NamesHost(text, host);
  const std::vector<std::string_view> names = Names(text);
  if (!host.empty() && std::all_of(host.begin(), host.end(), IsNameCharacter))
    Expect(named == std::any_of(
                        names.begin(), names.end(),
                        [&](std::string_view name) { return velkor::EqualsIgnoringAsciiCase(name, host); }),
           "a host named otherwise than as one of the text's names");
  return 0;
}
