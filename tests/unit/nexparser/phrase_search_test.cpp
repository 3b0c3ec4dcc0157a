#include "phrase_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "classify/phrase_tables.h"
#include "classify/tool_descriptors.h"
#include "support/reference_search.h"

namespace nexparser {
namespace {

std::string Hits(const std::vector<bool>& found) {
  std::string hits;
  for (const bool hit : found) hits += hit ? '1' : '0';
  return hits;
}

// Block sizes that put a block border at every place in the first `upTo`
// bytes, and a few larger ones.
std::vector<std::size_t> BlockSizes(std::size_t upTo) {
  std::vector<std::size_t> sizes;
  for (std::size_t size = 1; size <= upTo; ++size) sizes.push_back(size);
  for (const std::size_t size : {std::size_t{257}, std::size_t{4096}, kBlockBytes}) sizes.push_back(size);
  return sizes;
}

// The fast search, with every block size of `sizes`, agrees with the
// reference; returns the reference's hits.
std::string CheckedHits(const std::string& text, const std::vector<std::string>& phrases,
                        const std::vector<std::size_t>& sizes) {
  const std::string expected = Hits(ReferenceSearch(text, phrases));
  for (const std::size_t size : sizes) {
    EXPECT_EQ(Hits(SearchText(text, phrases, size)), expected)
        << "blocks of " << size << " in " << ::testing::PrintToString(text.substr(0, 60));
  }
  return expected;
}

// The rules, each case with every block border within its text.
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
    EXPECT_EQ(CheckedHits(c.text, c.phrases, BlockSizes(std::min<std::size_t>(c.text.size() + 1, 64))),
              c.hits)
        << ::testing::PrintToString(c.text.substr(0, 60));
  }
}

// Random reports made of report words, blanks, dots and all kinds of line
// ends; phrases cut from them (so they may span lines), their letters'
// case changed and stars put in, next to phrases that occur nowhere.
TEST(PhraseSearch, AgreesWithTheReferenceOnGeneratedReports) {
  const std::vector<std::string> words = {"failed", "test",   "Connectivity", "passed", "DC01", ".",   " ",
                                          " ",      ". . . ", "\r\n",         "\n",     "\r",   "\xE9"};
  std::mt19937 random(20140305);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  int found = 0;
  int missing = 0;
  for (int round = 0; round < 400; ++round) {
    std::string text;
    for (std::size_t w = pick(40); w > 0; --w) text += words[pick(words.size())];
    std::vector<std::string> phrases;
    for (int p = 0; p < 12 && !text.empty(); ++p) {
      const std::size_t start = pick(text.size());
      std::string phrase = text.substr(start, 1 + pick(std::min<std::size_t>(text.size() - start, 24)));
      for (char& c : phrase) {
        if (pick(4) == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (pick(10) == 0) c = '*';
      }
      if (pick(6) == 0) phrase.insert(pick(phrase.size() + 1), "zq");
      phrases.push_back(phrase);
    }
    const std::string hits = CheckedHits(text, phrases, {1, 2, 3, 5, 8, 13, kBlockBytes});
    found += static_cast<int>(std::count(hits.begin(), hits.end(), '1'));
    missing += static_cast<int>(std::count(hits.begin(), hits.end(), '0'));
  }
  EXPECT_GT(found, 1000);
  EXPECT_GT(missing, 1000);
}

// The recorded reports with every phrase list the program searches, as
// recorded, with CR LF line ends and in capitals.
TEST(PhraseSearch, AgreesWithTheReferenceOnRecordedReports) {
  std::string source = std::getenv("VELKOR_SOURCE_DIR") != nullptr ? std::getenv("VELKOR_SOURCE_DIR") : ".";
#ifdef _WIN32
  source = "Z:" + source;  // the Unix root under Wine
#endif
  std::vector<std::vector<std::string>> lists;
  for (const auto& tool : velkor::FullRunTools()) {
    std::vector<std::string>& list = lists.emplace_back();
    for (const auto& keyword : tool.keywords) list.emplace_back(keyword.phrase);
  }
  for (const auto& sub : velkor::tables::SubKeywordLists())
    lists.emplace_back(sub.phrases.begin(), sub.phrases.end());
  int reports = 0;
  int found = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(source) /
                                                                         "sandbox" / "scenarios")) {
    if (entry.path().extension() != ".txt") continue;
    ++reports;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string recorded{std::istreambuf_iterator<char>(in), {}};
    std::string crlf, capitals;
    for (const char c : recorded) {
      crlf += c == '\n' ? "\r\n" : std::string(1, c);
      capitals += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (const std::string& text : {recorded, crlf, capitals}) {
      for (const auto& list : lists) {
        const std::string hits = CheckedHits(text, list, {61, 4096});
        found += static_cast<int>(std::count(hits.begin(), hits.end(), '1'));
      }
    }
  }
  EXPECT_GT(reports, 10);
  EXPECT_GT(found, 20);
}

// Once every phrase is found the search takes no more text.
TEST(PhraseSearch, KnowsWhenEveryPhraseIsFound) {
  PhraseSearch search({"failed test Services", "DC*ok", "*"}, 16);
  const std::string filler(40, '.');
  search.Feed("DC01 ok\r\n" + filler);
  EXPECT_FALSE(search.AllFound());
  search.Feed("DC01 failed TEST services\r\n" + filler);
  EXPECT_TRUE(search.AllFound());
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
