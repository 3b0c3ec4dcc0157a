#include "phrase_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nexparser {
namespace {

// Each text is fed whole, then in pieces of 3 bytes, which split lines, words
// and CR LF pairs the way the library's read chunks split long lines.
TEST(PhraseSearch, FindsPhrasesLineByLine) {
  const std::string longLine = "start" + std::string(10000, 'x') + "the end" + std::string(50, '.');
  const struct {
    std::string text;
    std::vector<std::string> phrases;
    std::string hits;
  } cases[] = {
      {"  Policy ok\r\ncaf\xC9\r\n", {"Policy OK", "ok\r", "caf\xE9", "caf\xC9", "", "*"}, "100101"},
      {"DNS test . . . : Failed\nNTP test x x\n",
       {"dns TEST . . . : Failed", "DNS test  . . . : Failed", "NTP test . .", "test*x"},
       "1001"},
      {"x is not advertising\r\nThe host  could not\r\nabc pinged\r\nno ticket\r\nfor\nhost\n",
       {"*is not advertising", "The host * could not", "no tick*", "pinged*abc", "ab*bc", "ticket*for",
        "for*host"},
       "1110000"},
      {"share\nSysvol \nCannot find DC in domain CORP\n",
       {" share", "sysvol ", "share ", "domain * "},
       "0100"},
      {"xa\rb\nno break", {"a\rb", "no break"}, "11"},
      {"first\nlast\r", {"last"}, "1"},
      {"", {"*"}, "0"},
      {longLine + "\nthe end", {"START*the end*.", "start*the end*the end"}, "10"},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {c.text.size() + 1, std::size_t{3}}) {
      PhraseSearch search(c.phrases);
      for (std::size_t at = 0; at < c.text.size(); at += piece)
        search.Feed(std::string_view(c.text).substr(at, piece));
      search.Finish();
      std::string hits;
      for (std::size_t i = 0; i < search.Count(); ++i) hits += search.Found(i) ? '1' : '0';
      EXPECT_EQ(hits, c.hits) << c.text.substr(0, 40) << ", pieces of " << piece;
    }
  }
}

// "A", "B", U+1F600 as a surrogate pair, LF and an odd last byte, in pieces
// that end between the two bytes of a unit and between the two surrogates,
// which must reach the code page conversion together.
TEST(Utf16Framer, KeepsCharactersWholeAcrossPieces) {
  const std::string bytes("A\0B\0\x3D\xD8\x00\xDE\n\0x", 11);
  Utf16Framer framer;
  std::u16string units;
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::u16string_view part = framer.Take(std::string_view(bytes).substr(at, 3));
    EXPECT_FALSE(!part.empty() && part.back() >= 0xD800 && part.back() <= 0xDBFF) << at;
    units.append(part);
  }
  EXPECT_EQ(units.append(framer.Finish()), u"AB\U0001F600\n");
}

}  // namespace
}  // namespace nexparser
