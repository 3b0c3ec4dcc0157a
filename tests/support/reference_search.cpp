#include "support/reference_search.h"

namespace nexparser {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// The lines of `text`, without their breaks.
std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    const bool lastLine = lf == std::string_view::npos;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(Lower(line));
    text = lastLine ? std::string_view() : text.substr(lf + 1);
  }
  return lines;
}

// Whether `line` holds the parts of `phrase` between its stars in order, each
// after the one before.
bool LineHolds(const std::string& line, const std::string& phrase) {
  std::size_t from = 0;
  std::size_t begin = 0;
  while (begin <= phrase.size()) {
    std::size_t star = phrase.find('*', begin);
    if (star == std::string::npos) star = phrase.size();
    const std::string part = phrase.substr(begin, star - begin);
    const std::size_t at = line.find(part, from);
    if (at == std::string::npos) return false;
    from = at + part.size();
    begin = star + 1;
  }
  return true;
}

}  // namespace

std::vector<bool> ReferenceSearch(std::string_view text, const std::vector<std::string>& phrases) {
  const std::vector<std::string> lines = Lines(text);
  std::vector<bool> found(phrases.size(), false);
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    if (phrases[i].empty()) continue;
    const std::string phrase = Lower(phrases[i]);
    for (const std::string& line : lines)
      if (LineHolds(line, phrase)) found[i] = true;
  }
  return found;
}

}  // namespace nexparser
