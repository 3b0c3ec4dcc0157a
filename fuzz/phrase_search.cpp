// The parser library's phrase search over any text, phrases and block size
// (fuzz/README.md) finds exactly what a plain reference search finds.
#include "phrase_search.h"

#include <numeric>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return lower;
}

// Whether `line` holds the parts of `phrase` between its stars, each after the one before.
bool LineHolds(std::string_view line, std::string_view phrase) {
  std::size_t from = 0;
  for (const std::string_view part : velkor::fuzz::SplitAt(phrase, '*')) {
    const std::size_t at = line.find(part, from);
    if (at == std::string_view::npos) return false;
    from = at + part.size();
  }
  return true;
}

// The phrase rules of phrase_search.h written as plainly as possible: the
// whole text cut into lines, each line searched for each phrase.
std::vector<bool> ReferenceSearch(std::string_view text, const std::vector<std::string>& phrases) {
  std::vector<bool> found(phrases.size(), false);
  const std::string lower = Lower(text);
  for (std::string_view line : velkor::fuzz::SplitAt(lower, '\n')) {
    if (line.ends_with('\r')) line.remove_suffix(1);  // CR LF, or a CR ending the text
    for (std::size_t i = 0; i < phrases.size(); ++i)
      found[i] = found[i] || (!text.empty() && !phrases[i].empty() && LineHolds(line, Lower(phrases[i])));
  }
  return found;
}

// A phrase cut from the text where `phrase`'s bytes say, as long as it, with its stars and capitals.
std::string CutFrom(std::string_view text, std::string_view phrase) {
  if (text.empty() || phrase.empty()) return std::string(phrase);
  const std::size_t start = std::accumulate(phrase.begin(), phrase.end(), std::size_t{0}) % text.size();
  std::string cut(text.substr(start, phrase.size()));
  for (std::size_t i = 0; i < cut.size(); ++i) {
    if (phrase[i] == '*') cut[i] = '*';
    if (phrase[i] >= 'A' && phrase[i] <= 'Z' && cut[i] >= 'a' && cut[i] <= 'z')
      cut[i] = static_cast<char>(cut[i] - 32);
  }
  return cut;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // Small blocks put every border of a short text somewhere.
  const std::size_t blockBytes = data[0] == 0 ? nexparser::kBlockBytes : data[0];
  const std::string_view input = velkor::fuzz::InputText(data, size);
  // Without a NUL byte, a report searched for its own lines.
  const std::size_t nul = input.find('\0', 1);
  const std::string_view text = input.substr(nul == std::string_view::npos ? 1 : nul + 1);
  std::vector<std::string> phrases;
  for (const std::string_view phrase : velkor::fuzz::SplitAt(input.substr(1, nul - 1), '\n')) {
    phrases.emplace_back(phrase);
    phrases.push_back(CutFrom(text, phrase));
  }
  nexparser::PhraseSearch search(phrases, blockBytes);
  for (std::size_t at = 0; at < text.size() && !search.AllFound(); at += blockBytes)
    search.Feed(text.substr(at, blockBytes));
  search.Finish();
  const std::vector<bool> expected = ReferenceSearch(text, phrases);
  for (std::size_t i = 0; i < phrases.size(); ++i)
    velkor::fuzz::Expect(search.Found(i) == expected[i], "the search and the reference disagree");
  return 0;
}
