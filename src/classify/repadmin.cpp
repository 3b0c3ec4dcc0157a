#include "classify/repadmin.h"

#include <array>
#include <cstdio>

#include "core/guard.h"
#include "core/text.h"

namespace velkor {
namespace {

// One read takes at most this many characters less one; a longer line is
// read in pieces, each piece counting as a line.
constexpr int kLineBufferSize = 2048;
constexpr std::string_view kCountedPhrase = "CONSECUTIVE FAILURES";

// Reads the next line (or piece of one) into `line`. At the end of the file,
// or on a read error, `line` keeps its text and the result is false.
bool ReadLine(std::FILE* file, std::string& line) {
  std::array<char, kLineBufferSize> chunk{};
  if (std::fgets(chunk.data(), kLineBufferSize, file) == nullptr) return false;
  line.assign(chunk.data());
  return true;
}

}  // namespace

int ParseRepadminFile(RunContext& ctx, std::string& text) {
  return Guarded(ctx, StandardHandler("ParseRepadminFile"), [&] {
    const CFile file = OpenCFile(ctx.ToolOutputPath, "r");
    if (!file) {
      text = std::to_string(ctx.LastSystemError());
      return 0;
    }
    return CountReportFailures(ctx, file.get());
  });
}

int CountReportFailures(RunContext& ctx, std::FILE* report) {
  // Lines 1, 4, 7 ... land in the first buffer, 2, 5, 8 ... in the second
  // and 3, 6, 9 ... in the third, so together they hold the last three lines.
  std::array<std::string, 3> lines;
  while (ReadLine(report, lines[0])) {
    ReadLine(report, lines[1]);
    ReadLine(report, lines[2]);
  }
  for (const std::string& line : lines) {
    if (line.find(kCountedPhrase) != std::string::npos) return CountofFailures(ctx, line);
  }
  return 0;
}

int CountofFailures(RunContext& ctx, std::string_view line) {
  return Guarded(ctx, HandlerWithoutStatus("CountofFailures"), [&] {
    const std::size_t firstBlank = line.find(' ');
    if (firstBlank == std::string_view::npos) return 0;
    const std::string_view rest = line.substr(firstBlank + 1);
    const std::size_t nextBlank = rest.find(' ');
    if (nextBlank == std::string_view::npos) return 0;
    const int count = AtoiLike(std::string(rest.substr(0, nextBlank)));
    ctx.LogActivity("CountofFailures", "INFO", "count of CONSECUTIVE FAILURES", line, "");
    return count > 10 ? 1 : 0;
  });
}

}  // namespace velkor
