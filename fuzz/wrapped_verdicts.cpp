// Joining dcdiag's wrapped verdicts over any report, single-byte or UTF-16LE,
// agrees with a plain model of the rule, whatever pieces the report arrives in.
#include "classify/wrapped_verdicts.h"

#include <string>

#include "fuzz_support.h"
#include "support/source_files.h"

namespace {

using velkor::fuzz::Expect;

// The rule on the whole text: a line that ends in a verdict (blanks, tabs and
// CR after it aside) and is followed by a line holding anything else takes
// that line's text, after one blank, in place of everything in between.
std::u16string Model(std::u16string text) {
  const auto blank = [](char16_t u) { return u == u' ' || u == u'\t' || u == u'\r'; };
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != u'\n') {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end > lineStart && blank(text[end - 1])) --end;
    const std::u16string_view line = std::u16string_view(text).substr(lineStart, end - lineStart);
    if (line.ends_with(u"passed test") || line.ends_with(u"failed test")) {
      std::size_t next = i;
      while (next < text.size() && (blank(text[next]) || text[next] == u'\n')) ++next;
      if (next == text.size()) break;
      text.replace(end, next - end, 1, u' ');
      i = end + 1;
      continue;
    }
    lineStart = ++i;
  }
  return text;
}

// UTF-16LE bytes from code units and back; an odd last byte stays as it is.
std::string Bytes(const std::u16string& units) {
  std::string bytes;
  for (const char16_t u : units) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return bytes;
}
std::u16string Units(std::string_view bytes) {
  std::u16string units;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                          (static_cast<unsigned char>(bytes[at + 1]) << 8)));
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = velkor::fuzz::InputText(data, size);
  const std::string joined = velkor::JoinWrappedVerdicts(input);
  velkor::WrappedVerdicts joiner;
  std::string pieces;
  const std::size_t piece = size == 0 ? 1 : data[0] % 17 + 1;
  for (std::size_t at = 0; at < input.size(); at += piece) joiner.Feed(input.substr(at, piece), pieces);
  joiner.Finish(pieces);
  Expect(pieces == joined, "the pieces the report arrives in change the result");

  if (input.starts_with("\xFF\xFE")) {
    Expect(joined == Bytes(Model(Units(input))) + std::string(input.substr(input.size() & ~std::size_t{1})),
           "UTF-16LE report joined otherwise than the model");
    return 0;
  }
  // Single-byte text, and the same text in UTF-16LE with its byte-order mark.
  const std::string wide = velkor::testing::Utf16(input);
  const std::string model = Bytes(Model(Units(wide)));
  std::string narrow;
  for (std::size_t at = 2; at < model.size(); at += 2) narrow += model[at];
  Expect(joined == narrow, "single-byte text joined otherwise than the model");
  Expect(velkor::JoinWrappedVerdicts(wide) == model, "UTF-16LE text joined otherwise than the model");
  return 0;
}
