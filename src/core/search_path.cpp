#include "core/search_path.h"

namespace velkor {
namespace {

constexpr bool IsSlash(char c) { return c == '\\' || c == '/'; }
constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "X:\..." or "\\server\...", quotes around the entry aside.
bool IsFullFolder(std::string_view entry) {
  if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"')
    entry = entry.substr(1, entry.size() - 2);
  if (entry.size() >= 3 && IsLetter(entry[0]) && entry[1] == ':' && IsSlash(entry[2])) return true;
  return entry.size() >= 3 && IsSlash(entry[0]) && IsSlash(entry[1]) && !IsSlash(entry[2]);
}

}  // namespace

std::string WithoutRelativeFolders(std::string_view folders) {
  std::string kept;
  while (!folders.empty()) {
    const std::size_t end = folders.find(';');
    const std::string_view entry = folders.substr(0, end);
    if (IsFullFolder(entry)) kept.append(kept.empty() ? "" : ";").append(entry);
    folders.remove_prefix(end == std::string_view::npos ? folders.size() : end + 1);
  }
  return kept;
}

}  // namespace velkor
