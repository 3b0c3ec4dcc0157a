// Joining dcdiag's wrapped verdicts over any report, single-byte or UTF-16LE.
// The joined text must equal the input with only the breaks after a verdict
// replaced, as a plain model of the rule does it on the whole text, and must
// not depend on the pieces the report arrives in.
#include "classify/wrapped_verdicts.h"

#include <string>

#include "fuzz_support.h"

namespace {

using velkor::fuzz::Expect;

template <class Unit>
bool IsBlank(Unit u) {
  return u == Unit(' ') || u == Unit('\t') || u == Unit('\r');
}

// The rule on the whole text: a line that ends in a verdict (blanks, tabs and
// CR after it aside) and is followed by a line holding anything else takes
// that line's text, after one blank, in place of everything in between.
template <class Unit>
std::basic_string<Unit> Model(std::basic_string<Unit> text) {
  const auto endsInVerdict = [&](std::size_t begin, std::size_t end) {
    if (end - begin < 11) return false;
    for (const std::string_view verdict : {"passed test", "failed test"}) {
      bool same = true;
      for (std::size_t k = 0; k < 11; ++k) same = same && text[end - 11 + k] == Unit(verdict[k]);
      if (same) return true;
    }
    return false;
  };
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != Unit('\n')) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end > lineStart && IsBlank(text[end - 1])) --end;
    if (endsInVerdict(lineStart, end)) {
      std::size_t next = i;
      while (next < text.size() && (IsBlank(text[next]) || text[next] == Unit('\n'))) ++next;
      if (next == text.size()) break;
      text.replace(end, next - end, 1, Unit(' '));
      i = end + 1;
      continue;
    }
    lineStart = ++i;
  }
  return text;
}

std::string Joined(std::string_view report, std::size_t piece) {
  velkor::WrappedVerdicts joiner;
  std::string out;
  for (std::size_t at = 0; at < report.size(); at += piece) joiner.Feed(report.substr(at, piece), out);
  joiner.Finish(out);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = velkor::fuzz::InputText(data, size);
  const std::string joined = velkor::JoinWrappedVerdicts(input);
  const std::size_t piece = size == 0 ? 1 : data[0] % 17 + 1;
  Expect(Joined(input, piece) == joined, "the pieces the report arrives in change the result");

  if (!input.starts_with("\xFF\xFE")) {
    Expect(joined == Model(std::string(input)), "single-byte text joined otherwise than the model");
    // The same text in UTF-16LE with its byte-order mark.
    std::u16string units(1, u'\xFEFF');
    for (const char c : input) units.push_back(static_cast<unsigned char>(c));
    std::string wide;
    for (const char16_t u : Model(units)) wide += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    std::string wideInput = "\xFF\xFE";
    for (const char c : input) wideInput += {c, '\0'};
    Expect(velkor::JoinWrappedVerdicts(wideInput) == wide, "UTF-16LE text joined otherwise than the model");
    return 0;
  }
  std::u16string units;
  for (std::size_t at = 0; at + 1 < input.size(); at += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(input[at]) |
                                          (static_cast<unsigned char>(input[at + 1]) << 8)));
  std::string expected;
  for (const char16_t u : Model(units)) expected += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  if (input.size() % 2 == 1) expected += input.back();
  Expect(joined == expected, "UTF-16LE report joined otherwise than the model");
  return 0;
}
