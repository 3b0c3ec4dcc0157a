// Which of a list of phrases occur in a text that arrives in pieces of any
// size. Portable: no Windows headers, so it is unit-tested natively too.
//
// A phrase occurs when one line of the text holds it:
// - lines end at LF; a CR just before the LF, or at the very end of the text,
//   belongs to the line break;
// - ASCII letters match either case, every other byte (blanks, dots, bytes of
//   the system code page) only itself;
// - "*" stands for any run of characters, empty or not, within the line; a
//   phrase of stars only occurs in any text that is not empty;
// - blanks at either end of a phrase count like any other character;
// - an empty phrase never occurs.
// Memory is bounded by the phrases and the block size, not by the length of
// lines or of the text.
//
// The text is searched a block at a time, for every phrase at once: the part
// of each phrase before its first star is looked for with one scan of the
// block, and only a line where that part occurs is searched for the rest of
// the phrase. The last bytes of a block stay for the next one, so a phrase or
// a line may run across any block border.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "needle_scan.h"

namespace nexparser {

inline constexpr std::size_t kBlockBytes = std::size_t{256} * 1024;

class PhraseSearch {
 public:
  // `blockBytes`: how many bytes of text are searched at a time (at least 1).
  explicit PhraseSearch(const std::vector<std::string>& phrases, std::size_t blockBytes = kBlockBytes);

  // Where the next bytes of the text go, never empty: write up to its size,
  // then Commit the number written.
  std::span<char> Space();
  void Commit(std::size_t count);
  // The next bytes of the text, copied through Space and Commit.
  void Feed(std::string_view bytes);
  // The end of the text; its last line needs no line break.
  void Finish();

  // Whether phrase i occurs; complete after Finish.
  bool Found(std::size_t i) const { return phrases_[i].found; }
  std::size_t Count() const { return phrases_.size(); }
  // Every phrase found already: reading on would change nothing.
  bool AllFound() const { return remaining_ == 0; }

 private:
  // A run of literal characters after a star, folded to lower case, with the
  // shift table of a Horspool search.
  struct Segment {
    std::string folded;
    std::array<std::uint32_t, 256> shift{};
  };
  struct Phrase {
    std::uint32_t firstRun = 0;
    std::vector<Segment> rest;  // the runs after the first one
    bool found = false;
    bool starsOnly = false;
    // An occurrence of the first run that starts before this offset of the
    // text lies in a line already searched for the rest.
    std::uint64_t retryFrom = 0;
    // While that line runs on past the block: the run to look for next and
    // the offset where it may start.
    std::size_t nextRun = 0;
    std::uint64_t nextFrom = 0;
  };
  // A first run of some phrases, as the scanner knows it, and the least
  // retryFrom of those phrases not found yet.
  struct FirstRun {
    bool endsWithCR = false;
    std::vector<std::uint32_t> phrases;
    std::uint64_t retryFrom = 0;
  };

  void Process(bool atEnd);
  void OnFirstRun(std::size_t run, std::size_t start, bool atEnd);
  void FollowLine(std::uint32_t index, std::size_t run, std::size_t from, bool atEnd);
  void MarkFound(Phrase& phrase);
  void UpdateRetryFrom(FirstRun& run);
  static std::size_t FindSegment(const Segment& segment, const char* text, std::size_t size);

  std::vector<Phrase> phrases_;
  std::vector<FirstRun> firstRuns_;
  NeedleScanner scanner_;
  std::vector<std::uint32_t> following_;  // phrases whose line runs on past the block
  std::size_t remaining_ = 0;
  bool sawText_ = false;
  bool finished_ = false;

  // The block: the last `keep_` bytes of the one before (enough for the
  // longest run), then `blockBytes_` new ones from `fresh_` on.
  std::vector<char> buffer_;
  std::size_t blockBytes_ = 1;
  std::size_t keep_ = 1;
  std::size_t size_ = 0;
  std::size_t fresh_ = 0;
  std::uint64_t base_ = 0;  // the text offset of buffer_[0]
};

// Searches the whole of `text` for `phrases` with PhraseSearch, in blocks of
// `blockBytes`: whether each phrase occurs.
std::vector<bool> SearchText(std::string_view text, const std::vector<std::string>& phrases,
                             std::size_t blockBytes = kBlockBytes);

// Cuts a UTF-16LE byte stream that arrives in pieces into runs of whole
// characters: an odd byte, or a high surrogate at the end of a piece, waits
// for the next piece.
class Utf16Framer {
 public:
  // The complete UTF-16 code units up to the end of `bytes`.
  std::u16string_view Take(std::string_view bytes);
  // What is left at the end of the stream (a lone surrogate; an odd byte is dropped).
  std::u16string_view Finish();

 private:
  std::u16string units_;
  bool hasOddByte_ = false;
  unsigned char oddByte_ = 0;
  bool hasHeldUnit_ = false;
  char16_t heldUnit_ = 0;
};

// Whether a file that starts with `head` is UTF-16LE text with a byte-order mark.
bool StartsWithUtf16LeBom(std::string_view head);

}  // namespace nexparser
