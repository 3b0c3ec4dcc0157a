// The replication failure count over any repadmin report agrees with a plain
// model of its three line buffers and with the C library's reading of the number.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

#include "classify/repadmin.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "support/fake_run_context.h"

namespace {

using velkor::fuzz::Expect;

// The line whose count decides, as the model reads the report, empty when
// none: CR LF read as LF, pieces that end after a line feed or at 2047
// characters, a piece's text ends at a NUL, piece i lands in buffer i mod 3,
// and the first buffer holding the phrase counts.
std::string CountedLine(std::string_view binary) {
  std::string report;
  for (std::size_t at = 0; at < binary.size(); ++at)
    if (binary[at] != '\r' || at + 1 == binary.size() || binary[at + 1] != '\n') report += binary[at];
  std::array<std::string, 3> buffers;
  for (std::size_t at = 0, index = 0; at < report.size(); ++index) {
    const std::size_t lineEnd = std::min(report.find('\n', at), report.size() - 1) + 1;
    const std::size_t length = std::min<std::size_t>(lineEnd - at, 2047);
    const std::string piece = report.substr(at, length);
    buffers[index % 3] = piece.substr(0, piece.find('\0'));
    at += length;
  }
  for (const std::string& buffer : buffers)
    if (buffer.find("CONSECUTIVE FAILURES") != std::string::npos) return buffer;
  return {};
}

// The count's verdict on a line, read with the C library.
int Verdict(std::string_view line, bool& logged) {
  const std::size_t first = line.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  logged = second != std::string_view::npos;
  if (!logged) return 0;
  const std::string word(line.substr(first + 1, second - first - 1));
  return std::strtoll(word.c_str(), nullptr, 10) > 10 ? 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view report = velkor::fuzz::InputText(data, size);

  std::string bytes(report);
  const velkor::CFile file(fmemopen(bytes.data(), bytes.size(), "r"));
  Expect(file != nullptr, "the report cannot be opened as a stream");
  velkor::testing::FakeRunContext ctx;
  const int result = velkor::fuzz::WithinRun([&] { return velkor::CountReportFailures(ctx, file.get()); });

  const std::string counted = CountedLine(report);
  bool logged = false;
  Expect(result == Verdict(counted, logged), "the count differs from the model's");
  Expect(ctx.lines.size() == (logged ? 1u : 0u), "one log line exactly when the counted line has two blanks");
  if (logged) Expect(ctx.lines[0].detail == counted, "the log line holds the counted line");
  return 0;
}
