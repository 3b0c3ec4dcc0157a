#include "phrase_search.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace nexparser {
namespace {

unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

}  // namespace

PhraseSearch::PhraseSearch(const std::vector<std::string>& phrases) : phrases_(phrases.size()) {
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    Phrase& phrase = phrases_[i];
    const std::string& text = phrases[i];
    phrase.searchable = !text.empty();
    if (phrase.searchable) ++remaining_;
    std::size_t begin = 0;
    while (begin <= text.size()) {
      std::size_t end = text.find('*', begin);
      if (end == std::string::npos) end = text.size();
      if (end > begin) {
        Segment segment;
        segment.folded.reserve(end - begin);
        for (std::size_t k = begin; k < end; ++k)
          segment.folded.push_back(static_cast<char>(Fold(static_cast<unsigned char>(text[k]))));
        const std::size_t m = segment.folded.size();
        const auto cap = static_cast<std::size_t>(std::numeric_limits<std::uint32_t>::max());
        segment.shift.fill(static_cast<std::uint32_t>(std::min(m, cap)));
        for (std::size_t k = 0; k + 1 < m; ++k)
          segment.shift[static_cast<unsigned char>(segment.folded[k])] =
              static_cast<std::uint32_t>(std::min(m - 1 - k, cap));
        longestSegment_ = std::max(longestSegment_, m);
        phrase.segments.push_back(std::move(segment));
      }
      begin = end + 1;
    }
  }
}

std::size_t PhraseSearch::FindSegment(const Segment& segment, std::string_view text, std::size_t from) {
  const std::size_t m = segment.folded.size();
  const auto* pattern = reinterpret_cast<const unsigned char*>(segment.folded.data());
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t at = from;
  while (at <= text.size() && text.size() - at >= m) {
    std::size_t k = m;
    while (k > 0 && Fold(data[at + k - 1]) == pattern[k - 1]) --k;
    if (k == 0) return at;
    at += segment.shift[Fold(data[at + m - 1])];
  }
  return std::string_view::npos;
}

void PhraseSearch::Feed(std::string_view bytes) {
  if (bytes.empty()) return;
  if (pendingCR_) {
    pendingCR_ = false;
    if (bytes.front() == '\n') {
      EndLine();
      bytes.remove_prefix(1);
    } else {
      Piece("\r", false);
    }
  }
  while (!bytes.empty()) {
    lineOpen_ = true;
    const void* lf = std::memchr(bytes.data(), '\n', bytes.size());
    if (lf == nullptr) {
      std::string_view content = bytes;
      if (content.back() == '\r') {
        pendingCR_ = true;
        content.remove_suffix(1);
      }
      Piece(content, false);
      return;
    }
    const auto length = static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data());
    std::string_view content = bytes.substr(0, length);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    Piece(content, true);
    EndLine();
    bytes.remove_prefix(length + 1);
  }
}

void PhraseSearch::Finish() {
  pendingCR_ = false;  // a CR at the very end is the last line's break
  if (lineOpen_) EndLine();
}

void PhraseSearch::Piece(std::string_view content, bool lineEnds) {
  if (remaining_ == 0) return;
  // A segment that began in an earlier piece of this line ends in this one, so
  // the search window starts with the tail kept from the earlier pieces.
  std::string_view window = content;
  if (!tail_.empty()) {
    window_.assign(tail_);
    window_.append(content);
    window = window_;
  }
  const std::size_t windowStart = lineLength_ - tail_.size();
  for (Phrase& phrase : phrases_) {
    if (phrase.found || !phrase.searchable) continue;
    while (phrase.matched < phrase.segments.size()) {
      const std::size_t from = phrase.nextStart > windowStart ? phrase.nextStart - windowStart : 0;
      const Segment& segment = phrase.segments[phrase.matched];
      const std::size_t at = FindSegment(segment, window, from);
      if (at == std::string_view::npos) break;
      phrase.nextStart = windowStart + at + segment.folded.size();
      ++phrase.matched;
    }
  }
  lineLength_ += content.size();
  if (lineEnds) return;
  const std::size_t keep = std::min(window.size(), longestSegment_ > 0 ? longestSegment_ - 1 : 0);
  tail_.assign(window.substr(window.size() - keep));
}

void PhraseSearch::EndLine() {
  for (Phrase& phrase : phrases_) {
    if (!phrase.found && phrase.searchable && phrase.matched == phrase.segments.size()) {
      phrase.found = true;
      --remaining_;
    }
    phrase.matched = 0;
    phrase.nextStart = 0;
  }
  lineLength_ = 0;
  tail_.clear();
  lineOpen_ = false;
}

std::u16string_view Utf16Framer::Take(std::string_view bytes) {
  units_.clear();
  if (hasHeldUnit_) {
    units_.push_back(heldUnit_);
    hasHeldUnit_ = false;
  }
  std::size_t at = 0;
  if (hasOddByte_ && !bytes.empty()) {
    units_.push_back(static_cast<char16_t>(oddByte_ | (static_cast<unsigned char>(bytes[0]) << 8)));
    hasOddByte_ = false;
    at = 1;
  }
  for (; at + 1 < bytes.size(); at += 2)
    units_.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                           (static_cast<unsigned char>(bytes[at + 1]) << 8)));
  if (at < bytes.size()) {
    hasOddByte_ = true;
    oddByte_ = static_cast<unsigned char>(bytes[at]);
  }
  if (!units_.empty() && units_.back() >= 0xD800 && units_.back() <= 0xDBFF) {
    hasHeldUnit_ = true;
    heldUnit_ = units_.back();
    units_.pop_back();
  }
  return units_;
}

std::u16string_view Utf16Framer::Finish() {
  units_.clear();
  if (hasHeldUnit_) units_.push_back(heldUnit_);
  hasHeldUnit_ = false;
  hasOddByte_ = false;
  return units_;
}

bool StartsWithUtf16LeBom(std::string_view head) {
  return head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF &&
         static_cast<unsigned char>(head[1]) == 0xFE;
}

}  // namespace nexparser
