#include "needle_scan.h"

#include <algorithm>
#include <unordered_map>

namespace nexparser {
namespace {

constexpr std::size_t kLongestWindow = 256;  // keeps every shift within a byte

// Calls visit(raw) for every raw key whose folded form is `folded`: each
// lower-case letter of it may also be upper case.
template <class Visit>
void ForEachCase(unsigned folded, int width, Visit&& visit) {
  const auto variants = [](unsigned byte) {
    std::array<unsigned, 2> both{byte, byte};
    if (byte >= 'a' && byte <= 'z') both[1] = byte - ('a' - 'A');
    return both;
  };
  const auto low = variants(folded & 0xFF);
  if (width == 1) {
    for (const unsigned a : low) visit(a);
    return;
  }
  const auto high = variants(folded >> 8);
  for (const unsigned a : low)
    for (const unsigned b : high) visit(a | (b << 8));
}

unsigned SlotHash(std::uint16_t key, std::size_t mask) { return (key * 40503u >> 4) & mask; }

}  // namespace

std::string FoldText(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return folded;
}

NeedleScanner::NeedleScanner(const std::vector<std::string>& needles) {
  if (needles.empty()) return;
  window_ = kLongestWindow;
  for (const std::string& needle : needles) {
    needles_.push_back(FoldText(needle));
    window_ = std::min(window_, needle.size());
  }
  const int width = window_ == 1 ? 1 : 2;
  const std::size_t longestStep = window_ - static_cast<std::size_t>(width) + 1;
  shift_.assign(width == 1 ? 256 : 65536, static_cast<std::uint8_t>(longestStep));

  // The folded key that ends at `t` within the start of needle `n`.
  const auto keyAt = [&](const std::string& n, std::size_t t) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(n[k])); };
    return static_cast<std::uint16_t>(width == 1 ? byte(t) : byte(t - 1) | (byte(t) << 8));
  };
  std::unordered_map<std::uint16_t, std::size_t> groupOf;
  for (std::uint32_t index = 0; index < needles_.size(); ++index) {
    const std::string& needle = needles_[index];
    for (std::size_t t = static_cast<std::size_t>(width) - 1; t < window_; ++t) {
      const std::uint16_t key = keyAt(needle, t);
      const auto distance = static_cast<std::uint8_t>(window_ - 1 - t);
      ForEachCase(key, width, [&](unsigned raw) { shift_[raw] = std::min(shift_[raw], distance); });
    }
    const std::uint16_t endKey = keyAt(needle, window_ - 1);
    const auto [entry, added] = groupOf.try_emplace(endKey, groups_.size());
    if (added) groups_.push_back(Group{endKey, static_cast<std::uint8_t>(longestStep), {}});
    groups_[entry->second].needles.push_back(index);
  }
  // Once a window's needles are checked, it moves to where its end key could
  // next lie within the start of a needle.
  for (const std::string& needle : needles_) {
    for (std::size_t t = static_cast<std::size_t>(width) - 1; t + 1 < window_; ++t) {
      const auto entry = groupOf.find(keyAt(needle, t));
      if (entry == groupOf.end()) continue;
      Group& group = groups_[entry->second];
      group.shift = std::min(group.shift, static_cast<std::uint8_t>(window_ - 1 - t));
    }
  }
  std::size_t slots = 4;
  while (slots < 2 * groups_.size()) slots *= 2;
  groupSlots_.assign(slots, 0);
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    std::size_t slot = SlotHash(groups_[g].key, slots - 1);
    while (groupSlots_[slot] != 0) slot = (slot + 1) & (slots - 1);
    groupSlots_[slot] = static_cast<std::uint16_t>(g + 1);
    if (width == 1)
      ForEachCase(groups_[g].key, width,
                  [&](unsigned raw) { byteGroup_[raw] = static_cast<std::uint16_t>(g); });
  }
}

std::size_t NeedleScanner::FindGroup(std::uint16_t key) const {
  const std::size_t mask = groupSlots_.size() - 1;
  std::size_t slot = SlotHash(key, mask);
  while (groups_[groupSlots_[slot] - 1u].key != key) slot = (slot + 1) & mask;
  return groupSlots_[slot] - 1u;
}

}  // namespace nexparser
