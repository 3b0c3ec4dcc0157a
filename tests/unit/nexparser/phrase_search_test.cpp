#include "phrase_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nexparser {
namespace {

// Searches `text` fed in pieces of `pieceSize` bytes (0: all at once).
bool Occurs(const std::string& text, const std::string& phrase, std::size_t pieceSize) {
  PhraseSearch search({phrase});
  if (pieceSize == 0) pieceSize = text.size() + 1;
  for (std::size_t at = 0; at < text.size(); at += pieceSize)
    search.Feed(std::string_view(text).substr(at, pieceSize));
  search.Finish();
  return search.Found(0);
}

// Every case holds whatever the size of the pieces the text arrives in.
TEST(PhraseSearch, MatchesWithinOneLineWhateverThePieceSize) {
  const std::string longLine = "start" + std::string(10000, 'x') + "the end" + std::string(50, '.');
  const struct {
    const char* name;
    std::string text, phrase;
    bool found;
  } cases[] = {
      {"ascii case ignored", "header\r\n   Policy ok\r\n", "Policy OK", true},
      {"other bytes exact", "caf\xC9 ", "caf\xE9", false},
      {"blanks count", "DNS test . . . . : Failed", "DNS test  . . . . : Failed", false},
      {"dot is no wildcard", "DNS test x x", "DNS test . .", false},
      {"leading blank counts", "share", " share", false},
      {"trailing blank counts", "Cannot find DC in domain CORP", "Cannot find DC in domain * ", false},
      {"trailing blank found", "Cannot find DC in domain 'CORP' .", "Cannot find DC in domain * ", true},
      {"star may match nothing", "The host  could not", "The host * could not", true},
      {"blanks around star still needed", "The host could not", "The host * could not", false},
      {"star at start", "x is not advertising", "*is not advertising", true},
      {"star at end", "no ticket for host/dc01", "no ticket for *", true},
      {"segments in order", "resolved ... pinged", "pinged*resolved", false},
      {"segments do not overlap", "abc", "ab*bc", false},
      {"segments side by side", "abbc", "ab*bc", true},
      {"star stops at the line end", "no ticket\nfor x", "ticket*for", false},
      {"phrase across lines", "failed test\r\nConnectivity", "failed test Connectivity", false},
      {"lone CR is content", "a\rb", "a\rb", true},
      {"last line without break", "first\nlast line", "last line", true},
      {"CR at the very end", "first\nlast\r", "last", true},
      {"empty phrase", "anything\n", "", false},
      {"stars need a line", "", "*", false},
      {"stars on an empty line", "\n", "**", true},
      {"segments far apart", longLine, "START*the end*.", true},
      {"order on a long line", longLine + "\nthe end", "start*the end*the end", false},
  };
  for (const auto& c : cases) {
    for (std::size_t piece : {0, 1, 2, 3, 5, 7, 64}) {
      EXPECT_EQ(Occurs(c.text, c.phrase, piece), c.found) << c.name << ", pieces of " << piece;
    }
  }
}

// Reading stops at AllFound, so it must not come before the last phrase that
// can be found is; an empty phrase never is.
TEST(PhraseSearch, AllFoundOnceEveryPhraseIs) {
  PhraseSearch search({"Netlogon", "", "IPC$"});
  search.Feed("NETLOGON  C:\\x\r\n");
  EXPECT_FALSE(search.AllFound());
  search.Feed("IPC$  Remote IPC\r\n");
  EXPECT_TRUE(search.AllFound());
  EXPECT_FALSE(search.Found(1));
}

// "A", U+1F600 as a surrogate pair, "B", LF; a lone high surrogate at the
// end of the stream is kept, an odd last byte dropped.
TEST(Utf16Framer, KeepsCharactersWholeAcrossPieces) {
  const struct {
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {std::string("A\0\x3D\xD8\x00\xDE"
                   "B\0\n\0",
                   10),
       {u'A', 0xD83D, 0xDE00, u'B', u'\n'}},
      {std::string("x\0\x3D\xD8", 4), {u'x', 0xD83D}},
      {std::string("x\0y", 3), u"x"},
  };
  for (const auto& c : cases) {
    for (std::size_t piece : {1, 2, 3, 4, 10}) {
      Utf16Framer framer;
      std::u16string units;
      for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
        const std::u16string_view part = framer.Take(std::string_view(c.bytes).substr(at, piece));
        EXPECT_FALSE(!part.empty() && part.back() >= 0xD800 && part.back() <= 0xDBFF) << piece;
        units.append(part);
      }
      EXPECT_EQ(units.append(framer.Finish()), c.units) << piece;
    }
  }
}

TEST(Utf16Framer, RecognisesOnlyTheLittleEndianMark) {
  EXPECT_TRUE(StartsWithUtf16LeBom("\xFF\xFEx"));
  for (const char* head : {"\xFE\xFF", "\xFF", "\xEF\xBB\xBF"})
    EXPECT_FALSE(StartsWithUtf16LeBom(head)) << head;
}

}  // namespace
}  // namespace nexparser
