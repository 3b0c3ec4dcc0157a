// The phrase rules, case by case. The fuzz target phrase_search checks any
// text, phrases and block borders against a plain reference search.
#include "phrase_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nexparser {
namespace {

TEST(PhraseSearch, FindsPhrasesLineByLine) {
  const struct {
    std::string text;
    std::vector<std::string> phrases;
    std::string hits;
  } cases[] = {
      {"  Policy ok\r\ncaf\xC9\r\n", {"Policy OK", "ok\r", "caf\xE9", "caf\xC9", "", "*", "**"}, "1001011"},
      {"DNS test . . . : Failed\nNTP test x x\nSysvol \nshare\nin domain CORP\n",
       {"dns TEST . . . : Failed", "DNS test  . . . : Failed", "NTP test . .", "test*x", "Failed\nNTP",
        "sysvol ", " share", "share ", "domain * "},
       "100101000"},
      {"x is not advertising\r\nThe host  could not\r\nabc pinged\r\nno ticket\r\nfor\nhost\n",
       {"*is not advertising", "The host * could not", "no tick*", "pinged*abc", "ab*bc", "ticket*for",
        "for*host", "HOST*COULD*not*"},
       "11100001"},
      {"xa\rb\nc\r\r\nd\r\r", {"a\rb", "c\r", "c\r\r", "d\r", "d\r\r", "d*\r"}, "110101"},
      {"", {"*", ""}, "00"},
      {"\n", {"*"}, "1"},
  };
  for (const auto& c : cases) {
    std::string hits;
    for (const bool hit : SearchText(c.text, c.phrases)) hits += hit ? '1' : '0';
    EXPECT_EQ(hits, c.hits) << c.text;
  }
}

// "A", "B", U+1F600 as a surrogate pair, LF and an odd last byte, in pieces of
// three bytes that end inside a unit and between the surrogates: each part
// handed out (ended by a bar here) holds whole characters.
TEST(Utf16Framer, KeepsCharactersWholeAcrossPieces) {
  const std::string bytes("A\0B\0\x3D\xD8\x00\xDE\n\0x", 11);
  Utf16Framer framer;
  std::u16string pieces;
  for (std::size_t at = 0; at < bytes.size(); at += 3)
    pieces.append(framer.Take(std::string_view(bytes).substr(at, 3))).push_back(u'|');
  EXPECT_EQ(pieces.append(framer.Finish()), u"A|B|\U0001F600|\n|");
}

}  // namespace
}  // namespace nexparser
