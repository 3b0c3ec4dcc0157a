#include "phrase_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nexparser {
namespace {

// Searches `text` fed in pieces of `pieceSize` bytes (0: all at once).
bool Occurs(const std::string& text, const std::string& phrase, std::size_t pieceSize = 0) {
  PhraseSearch search({phrase});
  if (pieceSize == 0) pieceSize = text.size() + 1;
  for (std::size_t at = 0; at < text.size(); at += pieceSize)
    search.Feed(std::string_view(text).substr(at, pieceSize));
  search.Finish();
  return search.Found(0);
}

struct Case {
  const char* name;
  std::string text;
  std::string phrase;
  bool found;
};

// Every case holds whatever the size of the pieces the text arrives in.
TEST(PhraseSearch, MatchesWithinOneLineWhateverThePieceSize) {
  const Case cases[] = {
      {"ascii case ignored", "header\r\n   Policy ok\r\n", "Policy OK", true},
      {"upper case text", "NETLOGON     C:\\WINDOWS\\sysvol", "Netlogon", true},
      {"other bytes exact", "caf\xC9 ", "caf\xE9", false},
      {"blanks count", "DNS test . . . . : Failed", "DNS test  . . . . : Failed", false},
      {"dot is no wildcard", "DNS test x x", "DNS test . .", false},
      {"dot leaders", "    DNS test . . . . . . . . . . . . . : Failed\r\n",
       "DNS test . . . . . . . . . . . . . : Failed", true},
      {"leading blank counts", "share", " share", false},
      {"leading blank found", "net share", " share", true},
      {"trailing blank counts", "Cannot find DC in domain CORP", "Cannot find DC in domain * ", false},
      {"trailing blank found", "Cannot find DC in domain 'CORP' .", "Cannot find DC in domain * ", true},
      {"star in the middle", "         The host 1b.corp could not be resolved to an\r\n",
       "The host * could not be resolved to an", true},
      {"star may match nothing", "The host  could not", "The host * could not", true},
      {"blanks around star still needed", "The host could not", "The host * could not", false},
      {"star at start", "x is not advertising as a time server.", "*is not advertising", true},
      {"star at end", "Kerberos does not have a ticket for host/dc01",
       "Kerberos does not have a ticket for *", true},
      {"star matches to line end only", "Kerberos does not have a ticket\nfor x", "Kerberos*for", false},
      {"segments in order", "resolved ... pinged", "pinged*resolved", false},
      {"segments do not overlap", "abc", "ab*bc", false},
      {"segments side by side", "abbc", "ab*bc", true},
      {"phrase across lines", "failed test\r\nConnectivity", "failed test Connectivity", false},
      {"line break is not content", "abc\r\nx", "abc*x", false},
      {"lone CR is content", "a\rb", "a\rb", true},
      {"last line without break", "first\nlast line", "last line", true},
      {"CR at the very end", "first\nlast\r", "last", true},
      {"LF file", "one\ntwo\nthree\n", "two", true},
      {"empty phrase", "anything\n", "", false},
      {"star alone needs a line", "", "*", false},
      {"star alone on empty line", "\n", "*", true},
      {"star alone on any line", "x", "**", true},
      {"missing phrase", "The command completed successfully.\r\n", "SYSVOL", false},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {0, 1, 2, 3, 5, 7, 64}) {
      EXPECT_EQ(Occurs(c.text, c.phrase, piece), c.found) << c.name << ", pieces of " << piece;
    }
  }
}

TEST(PhraseSearch, ReportsEachPhraseInOrder) {
  PhraseSearch search({"Netlogon", "Sysvol", "", "IPC$", "*"});
  search.Feed("NETLOGON  C:\\x\r\nIPC$  Remote IPC\r\n");
  search.Finish();
  ASSERT_EQ(search.Count(), 5u);
  EXPECT_TRUE(search.Found(0));
  EXPECT_FALSE(search.Found(1));
  EXPECT_FALSE(search.Found(2));
  EXPECT_TRUE(search.Found(3));
  EXPECT_TRUE(search.Found(4));
  EXPECT_FALSE(search.AllFound());

  PhraseSearch both({"a", "b"});
  both.Feed("a\n");
  EXPECT_FALSE(both.AllFound());
  both.Feed("xb\n");
  EXPECT_TRUE(both.AllFound());
}

TEST(PhraseSearch, FindsAcrossPiecesOfAVeryLongLine) {
  const std::string line = "start" + std::string(10000, 'x') + "the end" + std::string(50, '.');
  for (std::size_t piece : {0, 1, 13, 4096}) {
    EXPECT_TRUE(Occurs(line, "THE END", piece)) << piece;
    EXPECT_TRUE(Occurs(line, "start*the end*.", piece)) << piece;
    EXPECT_FALSE(Occurs(line, "the end*start", piece)) << piece;
    EXPECT_FALSE(Occurs(line + "\nthe end", "start*the end*the end", piece)) << piece;
  }
}

std::u16string Collect(Utf16Framer& framer, const std::string& bytes, std::size_t pieceSize) {
  std::u16string units;
  for (std::size_t at = 0; at < bytes.size(); at += pieceSize)
    units.append(framer.Take(std::string_view(bytes).substr(at, pieceSize)));
  units.append(framer.Finish());
  return units;
}

TEST(Utf16Framer, KeepsCharactersWholeAcrossPieces) {
  // "A", U+1F600 as a surrogate pair, "B", LF.
  const std::string bytes(
      "A\0\x3D\xD8\x00\xDE"
      "B\0\n\0",
      10);
  const std::u16string expected = {u'A', 0xD83D, 0xDE00, u'B', u'\n'};
  for (std::size_t piece : {1, 2, 3, 4, 10}) {
    Utf16Framer framer;
    std::u16string units;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      const std::u16string_view part = framer.Take(std::string_view(bytes).substr(at, piece));
      if (!part.empty()) {
        EXPECT_FALSE(part.back() >= 0xD800 && part.back() <= 0xDBFF) << piece;
      }
      units.append(part);
    }
    units.append(framer.Finish());
    EXPECT_EQ(units, expected) << piece;
  }
}

TEST(Utf16Framer, EndsWithALoneSurrogateAndDropsAnOddByte) {
  Utf16Framer framer;
  EXPECT_EQ(Collect(framer, std::string("x\0\x3D\xD8", 4), 4), (std::u16string{u'x', 0xD83D}));
  Utf16Framer odd;
  EXPECT_EQ(Collect(odd, std::string("x\0y", 3), 1), std::u16string(u"x"));
}

TEST(Utf16Framer, RecognisesOnlyTheLittleEndianMark) {
  EXPECT_TRUE(StartsWithUtf16LeBom("\xFF\xFEx"));
  EXPECT_FALSE(StartsWithUtf16LeBom("\xFE\xFF"));
  EXPECT_FALSE(StartsWithUtf16LeBom("\xFF"));
  EXPECT_FALSE(StartsWithUtf16LeBom("\xEF\xBB\xBF"));
}

}  // namespace
}  // namespace nexparser
