// Joining dcdiag's wrapped verdicts over any report, single-byte or UTF-16LE,
// agrees with a plain model of the rule, whatever pieces the report arrives in.
#include "classify/wrapped_verdicts.h"

#include <string>

#include "fuzz_support.h"
#include "support/source_files.h"

namespace {

using velkor::fuzz::Expect;

// The rule on the whole text of single bytes or UTF-16 code units: a line that
// ends in a verdict (blanks, tabs and CR after it aside) and is followed by a
// line holding anything else takes that line's text, after one blank, in place
// of everything in between.
template <class Text>
Text Model(Text text) {
  const auto blank = [](auto c) { return c == ' ' || c == '\t' || c == '\r'; };
  const auto endsWith = [](const Text& line, std::string_view verdict) {
    return line.ends_with(Text(verdict.begin(), verdict.end()));
  };
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '\n') {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end > lineStart && blank(text[end - 1])) --end;
    const Text line = text.substr(lineStart, end - lineStart);
    if (endsWith(line, "passed test") || endsWith(line, "failed test")) {
      std::size_t next = i;
      while (next < text.size() && (blank(text[next]) || text[next] == '\n')) ++next;
      if (next == text.size()) break;
      text.replace(end, next - end, 1, ' ');
      i = end + 1;
      continue;
    }
    lineStart = ++i;
  }
  return text;
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

  if (input.starts_with("\xFF\xFE")) {  // UTF-16LE; an odd last byte stays as it is
    std::u16string units;
    for (std::size_t at = 2; at + 1 < size; at += 2)
      units.push_back(static_cast<char16_t>(data[at] | data[at + 1] << 8));
    std::string model = "\xFF\xFE";
    for (const char16_t u : Model(units)) model += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    Expect(joined == model + std::string(input.substr(size & ~std::size_t{1})),
           "UTF-16LE report joined otherwise than the model");
    return 0;
  }
  // Single-byte text, and the same text in UTF-16LE with its byte-order mark.
  const std::string model = Model(std::string(input));
  Expect(joined == model, "single-byte text joined otherwise than the model");
  Expect(velkor::JoinWrappedVerdicts(velkor::testing::Utf16(input)) == velkor::testing::Utf16(model),
         "UTF-16LE text joined otherwise than the model");
  return 0;
}
