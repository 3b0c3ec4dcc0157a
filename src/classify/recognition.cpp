#include "classify/recognition.h"

#include "classify/tool_descriptors.h"
#include "core/line_reader.h"
#include "core/text.h"

namespace velkor {

std::span<const std::string_view> ReportLines(int toolKind) {
  const ToolDescriptor* tool = FullRunTool(toolKind);
  return tool == nullptr ? std::span<const std::string_view>() : tool->reportLines;
}

PhraseList WithReportLines(const PhraseList& keywords, int toolKind) {
  PhraseList phrases = keywords;
  for (const std::string_view line : ReportLines(toolKind)) phrases.emplace_back(line);
  return phrases;
}

bool FileHoldsAnyLine(const std::string& path, std::span<const std::string_view> lines) {
  const CFile file = OpenCFile(path, "rb");
  if (!file) return false;
  LineReader reader(file.get());
  for (std::string line; reader.Next(line);) {
    for (const std::string_view wanted : lines)
      if (line.find(wanted) != std::string::npos) return true;
  }
  return false;
}

std::string UnrecognisedReportText(std::string_view executable) {
  return std::string(executable) +
         " report not recognised (Errorcode=" + std::string(kUnrecognisedReportCode) + ")";
}

void ReportUnrecognised(RunContext& ctx, std::string_view module, std::string_view executable, int toolKind,
                        std::set<int>& reported) {
  const std::string text = UnrecognisedReportText(executable);
  ctx.LogActivity(module, "ERROR", "Report not recognised",
                  text + ": no verdict lines in " + ctx.ToolOutputPath +
                      "; a language other than English or a cut-off report",
                  "");
  if (reported.insert(toolKind).second) ctx.ReportStatus(text);
}

}  // namespace velkor
