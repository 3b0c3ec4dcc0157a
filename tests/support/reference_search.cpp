#include "support/reference_search.h"

#include <algorithm>

namespace nexparser {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return lower;
}

// Whether `line` holds the parts of `phrase` between its stars in order, each
// after the one before.
bool LineHolds(std::string_view line, std::string_view phrase) {
  for (std::size_t from = 0, begin = 0; begin <= phrase.size(); begin = phrase.find('*', begin) + 1) {
    const std::string_view part = phrase.substr(begin, phrase.find('*', begin) - begin);
    const std::size_t at = line.find(part, from);
    if (at == std::string_view::npos) return false;
    from = at + part.size();
    if (phrase.find('*', begin) == std::string_view::npos) break;
  }
  return true;
}

}  // namespace

std::vector<bool> ReferenceSearch(std::string_view text, const std::vector<std::string>& phrases) {
  std::vector<bool> found(phrases.size(), false);
  std::vector<std::string> lowered;
  for (const std::string& phrase : phrases) lowered.push_back(Lower(phrase));
  // The lines of `text` without their breaks (LF, or CR LF), in lower case.
  for (std::size_t begin = 0; begin < text.size();) {
    const std::size_t lf = std::min(text.find('\n', begin), text.size());
    std::string_view line = text.substr(begin, lf - begin);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::string lower = Lower(line);
    for (std::size_t i = 0; i < phrases.size(); ++i)
      found[i] = found[i] || (!phrases[i].empty() && LineHolds(lower, lowered[i]));
    begin = lf + 1;
  }
  return found;
}

}  // namespace nexparser
