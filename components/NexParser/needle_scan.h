// Finds every occurrence of a set of needles in a block of bytes, ASCII
// letters matching either case, in one pass for all needles. Portable: no
// Windows headers.
//
// A window as long as the shortest needle slides over the block. The two
// bytes at the window's end select a shift from a table: how far the window
// may move before those two bytes could lie within the start of some needle.
// Only a window whose end pair ends the start of a needle is checked against
// those needles. On report text most pairs occur in no needle, so the window
// moves by nearly its whole length at each step.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace nexparser {

// ASCII letters to lower case; every other byte stays as it is.
constexpr unsigned char FoldByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

std::string FoldText(std::string_view text);

class NeedleScanner {
 public:
  // `needles`: non-empty texts; each is reported by its index.
  explicit NeedleScanner(const std::vector<std::string>& needles);

  // Calls report(index, start) for every occurrence of a needle in
  // text[0, size) whose end (start plus its length) lies in [firstEnd, lastEnd],
  // in the order of their starts.
  template <class Report>
  void Scan(const unsigned char* text, std::size_t size, std::size_t firstEnd, std::size_t lastEnd,
            Report&& report) const {
    if (needles_.empty() || size < window_) return;
    if (window_ == 1) {
      ScanWith<1>(text, size, firstEnd, lastEnd, report);
    } else {
      ScanWith<2>(text, size, firstEnd, lastEnd, report);
    }
  }

  std::size_t NeedleLength(std::size_t index) const { return needles_[index].size(); }

 private:
  // The needles whose window start ends with one folded key, and the shift
  // once they have been checked.
  struct Group {
    std::uint16_t key = 0;
    std::uint8_t shift = 0;
    std::vector<std::uint32_t> needles;
  };

  // The table index of the `Width` bytes that end a window (1 or 2).
  template <int Width>
  static unsigned KeyAt(const unsigned char* end) {
    if constexpr (Width == 1) {
      return end[-1];
    } else {
      if constexpr (std::endian::native == std::endian::little) {
        std::uint16_t pair;
        std::memcpy(&pair, end - 2, sizeof pair);
        return pair;
      } else {
        return static_cast<unsigned>(end[-2]) | (static_cast<unsigned>(end[-1]) << 8);
      }
    }
  }
  template <int Width>
  static unsigned FoldedKey(unsigned key) {
    if constexpr (Width == 1) {
      return FoldByte(static_cast<unsigned char>(key));
    } else {
      return FoldByte(static_cast<unsigned char>(key & 0xFF)) |
             (static_cast<unsigned>(FoldByte(static_cast<unsigned char>(key >> 8))) << 8);
    }
  }

  template <int Width, class Report>
  void ScanWith(const unsigned char* text, std::size_t size, std::size_t firstEnd, std::size_t lastEnd,
                Report& report) const {
    const std::uint8_t* shift = shift_.data();
    const std::size_t window = window_;
    const std::size_t last = size - window;  // the last start of a window
    std::size_t at = 0;                      // the start of the window
    for (;;) {
      unsigned key = KeyAt<Width>(text + at + window);
      while (shift[key] != 0) {
        at += shift[key];
        if (at > last) return;
        key = KeyAt<Width>(text + at + window);
      }
      const Group& group = groups_[Width == 1 ? byteGroup_[key]
                                              : FindGroup(static_cast<std::uint16_t>(FoldedKey<Width>(key)))];
      for (const std::uint32_t index : group.needles) {
        const std::string& needle = needles_[index];
        const std::size_t end = at + needle.size();
        if (end < firstEnd || end > lastEnd || end > size) continue;
        if (Matches(needle, text + at)) report(static_cast<std::size_t>(index), at);
      }
      at += group.shift;
      if (at > last) return;
    }
  }

  static bool Matches(const std::string& folded, const unsigned char* at) {
    for (std::size_t i = 0; i < folded.size(); ++i)
      if (FoldByte(at[i]) != static_cast<unsigned char>(folded[i])) return false;
    return true;
  }
  std::size_t FindGroup(std::uint16_t key) const;

  std::vector<std::string> needles_;  // folded
  std::size_t window_ = 0;            // the shortest needle's length, at most 256
  std::vector<std::uint8_t> shift_;   // by raw key: 256 entries for width 1, 65536 for width 2
  std::vector<Group> groups_;
  std::vector<std::uint16_t> groupSlots_;       // open addressing by folded key: group index + 1, 0 free
  std::array<std::uint16_t, 256> byteGroup_{};  // for width 1: the group of each raw key with shift 0
};

}  // namespace nexparser
