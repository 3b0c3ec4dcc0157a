// The phrase rules, case by case. The fuzz target phrase_search checks any
// text, phrases and block size against a plain reference search.
#include "phrase_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace nexparser {
namespace {

std::string Hits(const std::vector<bool>& found) {
  std::string hits;
  for (const bool hit : found) hits += hit ? '1' : '0';
  return hits;
}

// Each case with a block border at every place of its text, and with the
// library's own block size.
TEST(PhraseSearch, FindsPhrasesLineByLine) {
  const std::string longLine = "start" + std::string(10000, 'x') + "the end" + std::string(50, '.');
  const struct {
    std::string text;
    std::vector<std::string> phrases;
    std::string hits;
  } cases[] = {
      {"  Policy ok\r\ncaf\xC9\r\n", {"Policy OK", "ok\r", "caf\xE9", "caf\xC9", "", "*", "**"}, "1001011"},
      {"DNS test . . . : Failed\nNTP test x x\n",
       {"dns TEST . . . : Failed", "DNS test  . . . : Failed", "NTP test . .", "test*x", "Failed\nNTP"},
       "10010"},
      {"x is not advertising\r\nThe host  could not\r\nabc pinged\r\nno ticket\r\nfor\nhost\n",
       {"*is not advertising", "The host * could not", "no tick*", "pinged*abc", "ab*bc", "ticket*for",
        "for*host", "HOST*COULD*not*"},
       "11100001"},
      {"share\nSysvol \nCannot find DC in domain CORP\n",
       {" share", "sysvol ", "share ", "domain * "},
       "0100"},
      {"xa\rb\nno break", {"a\rb", "no break", "a\r", "b\r"}, "1110"},
      {"first\nlast\r", {"last", "last\r", "t*\r"}, "100"},
      {"a\r\r\nb\r\r", {"a\r", "b\r", "a\r\r", "b*\r"}, "1101"},
      {"", {"*", ""}, "00"},
      {"\n", {"*"}, "1"},
      {"aXbXa\naaab\n", {"a*b*a", "ab*ab", "a*a*a*a", "a*a*a", "x*x*x"}, "10010"},
      {longLine + "\nthe end", {"START*the end*.", "start*the end*the end", "x*x*the*end"}, "101"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text.substr(0, 60)));
    for (std::size_t size = 1; size <= std::min<std::size_t>(c.text.size() + 1, 64); ++size)
      EXPECT_EQ(Hits(SearchText(c.text, c.phrases, size)), c.hits) << "blocks of " << size;
    EXPECT_EQ(Hits(SearchText(c.text, c.phrases)), c.hits);
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
