#include "phrase_search.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace nexparser {

PhraseSearch::PhraseSearch(const std::vector<std::string>& phrases, std::size_t blockBytes)
    : phrases_(phrases.size()), scanner_({}) {
  std::vector<std::string> firstRunTexts;
  std::unordered_map<std::string, std::size_t> firstRunOf;
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    std::vector<std::string> runs;
    for (std::size_t begin = 0; begin <= phrases[i].size();) {
      const std::size_t star = std::min(phrases[i].find('*', begin), phrases[i].size());
      if (star > begin) runs.push_back(FoldText(std::string_view(phrases[i]).substr(begin, star - begin)));
      begin = star + 1;
    }
    // An empty phrase, or one with a line break inside, occurs nowhere.
    const auto hasLineBreak = [](const std::string& run) { return run.find('\n') != std::string::npos; };
    if (phrases[i].empty() || std::any_of(runs.begin(), runs.end(), hasLineBreak)) continue;
    Phrase& phrase = phrases_[i];
    ++remaining_;
    if (runs.empty()) {
      phrase.starsOnly = true;
      continue;
    }
    for (const std::string& run : runs) keep_ = std::max(keep_, run.size());
    const auto [entry, added] = firstRunOf.try_emplace(runs.front(), firstRuns_.size());
    if (added) {
      firstRuns_.push_back(FirstRun{runs.front().back() == '\r', {}});
      firstRunTexts.push_back(runs.front());
    }
    firstRuns_[entry->second].phrases.push_back(static_cast<std::uint32_t>(i));
    phrase.firstRun = static_cast<std::uint32_t>(entry->second);
    for (std::size_t r = 1; r < runs.size(); ++r) {
      Segment& segment = phrase.rest.emplace_back();
      segment.folded = std::move(runs[r]);
      const std::size_t m = segment.folded.size();
      const auto cap = static_cast<std::size_t>(std::numeric_limits<std::uint32_t>::max());
      segment.shift.fill(static_cast<std::uint32_t>(std::min(m, cap)));
      for (std::size_t k = 0; k + 1 < m; ++k)
        segment.shift[static_cast<unsigned char>(segment.folded[k])] =
            static_cast<std::uint32_t>(std::min(m - 1 - k, cap));
    }
  }
  scanner_ = NeedleScanner(firstRunTexts);
  blockBytes_ = std::max<std::size_t>(blockBytes, 1);
  buffer_.resize(keep_ + blockBytes_);
}

std::span<char> PhraseSearch::Space() {
  return std::span<char>(buffer_).subspan(size_, fresh_ + blockBytes_ - size_);
}

void PhraseSearch::Commit(std::size_t count) {
  if (count == 0 || finished_) return;
  if (!sawText_) {
    sawText_ = true;
    for (Phrase& phrase : phrases_)
      if (phrase.starsOnly) MarkFound(phrase);
  }
  size_ += count;
  if (remaining_ == 0) {
    size_ = fresh_ = 0;
    return;
  }
  if (size_ - fresh_ < blockBytes_) return;
  Process(false);
  const std::size_t keep = std::min(keep_, size_);
  std::memmove(buffer_.data(), buffer_.data() + size_ - keep, keep);
  base_ += size_ - keep;
  size_ = keep;
  fresh_ = keep;
}

void PhraseSearch::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::span<char> space = Space();
    const std::size_t count = std::min(space.size(), bytes.size());
    std::memcpy(space.data(), bytes.data(), count);
    Commit(count);
    bytes.remove_prefix(count);
  }
}

void PhraseSearch::Finish() {
  if (finished_) return;
  Process(true);
  finished_ = true;
}

// Searches the new bytes of the block. An occurrence of a first run is taken
// up once the byte after it is known (a CR that ends it may be a line break),
// or at the end of the text.
void PhraseSearch::Process(bool atEnd) {
  if (remaining_ == 0) return;
  std::vector<std::uint32_t> following;
  following.swap(following_);
  for (const std::uint32_t index : following) {
    const Phrase& phrase = phrases_[index];
    FollowLine(index, phrase.nextRun, static_cast<std::size_t>(phrase.nextFrom - base_), atEnd);
  }
  for (const std::uint32_t index : following) UpdateRetryFrom(firstRuns_[phrases_[index].firstRun]);
  if (size_ == 0) return;
  const auto* text = reinterpret_cast<const unsigned char*>(buffer_.data());
  scanner_.Scan(text, size_, fresh_, atEnd ? size_ : size_ - 1, [&](std::size_t run, std::size_t start) {
    if (base_ + start >= firstRuns_[run].retryFrom) OnFirstRun(run, start, atEnd);
  });
}

void PhraseSearch::OnFirstRun(std::size_t run, std::size_t start, bool atEnd) {
  const std::size_t end = start + scanner_.NeedleLength(run);
  if (firstRuns_[run].endsWithCR && (end == size_ || buffer_[end] == '\n')) return;
  for (const std::uint32_t index : firstRuns_[run].phrases) {
    Phrase& phrase = phrases_[index];
    if (phrase.found || base_ + start < phrase.retryFrom) continue;
    if (phrase.rest.empty()) {
      MarkFound(phrase);
    } else {
      FollowLine(index, 0, end, atEnd);
    }
  }
  UpdateRetryFrom(firstRuns_[run]);
}

// Looks for the runs of phrase `index` from `run` on, each after the one
// before, from `from` to the end of the line. A line that runs on past the
// block is followed into the next one.
void PhraseSearch::FollowLine(std::uint32_t index, std::size_t run, std::size_t from, bool atEnd) {
  Phrase& phrase = phrases_[index];
  const char* text = buffer_.data();
  const void* lineBreak = std::memchr(text + from, '\n', size_ - from);
  const bool lineEnds = lineBreak != nullptr || atEnd;
  const std::size_t lineEnd =
      lineBreak != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lineBreak) - text) : size_;
  // Where the line's characters end, as far as this block tells: a CR just
  // before the break belongs to it, and a CR at the end of a block may.
  std::size_t end = lineEnd;
  if (!lineEnds || (end > from && text[end - 1] == '\r')) end = std::max(from, end - 1);
  while (run < phrase.rest.size()) {
    const Segment& segment = phrase.rest[run];
    const std::size_t at = FindSegment(segment, text + from, end - from);
    if (at == std::string_view::npos) break;
    from += at + segment.folded.size();
    ++run;
  }
  if (run == phrase.rest.size()) {
    MarkFound(phrase);
  } else if (lineEnds) {
    phrase.retryFrom = base_ + lineEnd + 1;
  } else {
    // The block holds the last keep_ bytes again, so the next search starts
    // where an occurrence could still end in the next block.
    const std::size_t length = phrase.rest[run].folded.size();
    phrase.nextRun = run;
    phrase.nextFrom = base_ + std::max(from, end + 1 >= length ? end + 1 - length : 0);
    phrase.retryFrom = std::numeric_limits<std::uint64_t>::max();
    following_.push_back(index);
  }
}

void PhraseSearch::MarkFound(Phrase& phrase) {
  phrase.found = true;
  --remaining_;
}

void PhraseSearch::UpdateRetryFrom(FirstRun& run) {
  run.retryFrom = std::numeric_limits<std::uint64_t>::max();
  for (const std::uint32_t index : run.phrases)
    if (!phrases_[index].found) run.retryFrom = std::min(run.retryFrom, phrases_[index].retryFrom);
}

std::size_t PhraseSearch::FindSegment(const Segment& segment, const char* text, std::size_t size) {
  const std::size_t m = segment.folded.size();
  const auto* pattern = reinterpret_cast<const unsigned char*>(segment.folded.data());
  const auto* data = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t at = 0; size >= m && at <= size - m;) {
    std::size_t k = m;
    while (k > 0 && FoldByte(data[at + k - 1]) == pattern[k - 1]) --k;
    if (k == 0) return at;
    at += segment.shift[FoldByte(data[at + m - 1])];
  }
  return std::string_view::npos;
}

std::vector<bool> SearchText(std::string_view text, const std::vector<std::string>& phrases,
                             std::size_t blockBytes) {
  PhraseSearch search(phrases, blockBytes);
  search.Feed(text);
  search.Finish();
  std::vector<bool> found(search.Count());
  for (std::size_t i = 0; i < found.size(); ++i) found[i] = search.Found(i);
  return found;
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
