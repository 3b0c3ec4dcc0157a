#include "classify/repadmin.h"

#include <array>
#include <cstdio>

#include "core/guard.h"
#include "core/line_reader.h"
#include "core/text.h"

namespace velkor {
namespace {

constexpr std::string_view kCountedPhrase = "CONSECUTIVE FAILURES";

}  // namespace

int ParseRepadminFile(RunContext& ctx, std::string& text, bool* counted) {
  return Guarded(ctx, StandardHandler("ParseRepadminFile"), [&] {
    const CFile file = OpenCFile(ctx.ToolOutputPath, "rb");
    if (!file) {
      text = std::to_string(ctx.LastSystemError());
      return 0;
    }
    return CountReportFailures(ctx, file.get(), counted);
  });
}

int CountReportFailures(RunContext& ctx, std::FILE* report, bool* counted) {
  // Lines 1, 4, 7 ... land in the first buffer, 2, 5, 8 ... in the second
  // and 3, 6, 9 ... in the third, so together they hold the last three
  // lines. A line longer than 2047 characters is read in pieces, each piece
  // counting as a line.
  LineReader reader(report);
  std::array<std::string, 3> lines;
  while (reader.Next(lines[0])) {
    reader.Next(lines[1]);
    reader.Next(lines[2]);
  }
  for (const std::string& line : lines) {
    if (line.find(kCountedPhrase) == std::string::npos) continue;
    if (counted != nullptr) *counted = true;
    return CountofFailures(ctx, line);
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
