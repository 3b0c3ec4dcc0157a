// Which of a list of phrases occur in a text that arrives in pieces of any
// size. Portable: no Windows headers, so it is unit-tested natively too.
//
// A phrase occurs when one line of the text holds it:
// - lines end at LF; a CR just before the LF belongs to the line break;
// - ASCII letters match either case, every other byte (blanks, dots, bytes of
//   the system code page) only itself;
// - "*" stands for any run of characters, empty or not, within the line;
// - blanks at either end of a phrase count like any other character;
// - an empty phrase never occurs.
// Memory is bounded by the phrases, not by the length of lines or of the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nexparser {

class PhraseSearch {
 public:
  explicit PhraseSearch(const std::vector<std::string>& phrases);

  // The next bytes of the text.
  void Feed(std::string_view bytes);
  // The end of the text; its last line needs no line break.
  void Finish();

  // Whether phrase i occurs; complete after Finish.
  bool Found(std::size_t i) const { return phrases_[i].found; }
  std::size_t Count() const { return phrases_.size(); }
  // Every phrase found already: reading on would change nothing.
  bool AllFound() const { return remaining_ == 0; }

 private:
  // One run of literal characters between the stars of a phrase, folded to
  // lower case, with the shift table of a Horspool search.
  struct Segment {
    std::string folded;
    std::array<std::uint32_t, 256> shift{};
  };
  struct Phrase {
    std::vector<Segment> segments;  // empty for a phrase made of stars only
    bool searchable = true;         // false for an empty phrase
    bool found = false;
    // Progress within the current line: segments matched so far, and the
    // line offset where the next segment may begin.
    std::size_t matched = 0;
    std::size_t nextStart = 0;
  };

  void Piece(std::string_view content, bool lineEnds);
  void EndLine();
  static std::size_t FindSegment(const Segment& segment, std::string_view text, std::size_t from);

  std::vector<Phrase> phrases_;
  std::size_t remaining_ = 0;
  std::size_t longestSegment_ = 0;
  // The current line: its length so far, its last bytes (enough for a segment
  // that spans two pieces), whether it has begun, and a CR held back because
  // the next piece decides whether it is part of a line break.
  std::size_t lineLength_ = 0;
  std::string tail_;
  std::string window_;
  bool lineOpen_ = false;
  bool pendingCR_ = false;
};

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
