// The parser library's phrase search over any text, any phrases and any block
// size: it must find exactly what the plain reference search finds. Input:
// one byte choosing the block size, the phrases one a line up to a NUL byte,
// then the text.
#include "phrase_search.h"

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/reference_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // Small blocks put every border of a short text somewhere; 0 means the library's own size.
  const std::size_t blockBytes = data[0] == 0 ? nexparser::kBlockBytes : data[0];
  const std::string_view rest = velkor::fuzz::InputText(data + 1, size - 1);
  const std::size_t end = rest.find('\0');
  if (end == std::string_view::npos) return 0;
  std::vector<std::string> phrases;
  for (const std::string_view phrase : velkor::fuzz::SplitAt(rest.substr(0, end), '\n'))
    phrases.emplace_back(phrase);
  const std::string_view text = rest.substr(end + 1);

  velkor::fuzz::Expect(
      nexparser::SearchText(text, phrases, blockBytes) == nexparser::ReferenceSearch(text, phrases),
      "the search and the reference disagree");
  return 0;
}
