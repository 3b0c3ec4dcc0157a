#include "report/daily_result_line.h"

#include <cstdio>

#include "core/text.h"
#include "core/time_stamp.h"

namespace velkor {

std::string DailyResultFolder(std::string_view installationPath, std::string_view databaseName,
                              std::string_view hostName, const LocalTime& t) {
  char month[32];
  // Any clock reading fits; snprintf would cut a longer text at the buffer's end.
  static_cast<void>(std::snprintf(month, sizeof month, "%04d%02d", t.year, t.month));
  std::string folder(installationPath);
  folder.append("Nexagent\\DataDirectory\\").append(databaseName).append("\\").append(hostName);
  folder.append("\\").append(month).append("\\velkor");
  return folder;
}

std::string DailyResultFile(std::string_view folder, const LocalTime& t) {
  char name[48];
  static_cast<void>(std::snprintf(name, sizeof name, "\\velkor_%04d%02d%02d.Log", t.year, t.month, t.day));
  return std::string(folder) + name;
}

std::string DailyResultEntry(const LocalTime& t, std::string_view functionName, std::string_view keyword,
                             int status) {
  std::string line = FormatTimeStamp(t);
  line.append("\t")
      .append(functionName)
      .append("\t")
      .append(keyword)
      .append("\t")
      .append(std::to_string(status));
  line.push_back('\n');
  return line;
}

void AppendDailyResult(RunContext& ctx, const std::string& path, std::string_view functionName,
                       std::string_view keyword, int status) {
  if (path.empty()) return;
  const LocalTime now = ctx.Now();
  const bool existed = static_cast<bool>(OpenCFile(path, "rb"));
  const CFile file = OpenCFile(path, "ab");
  if (!file) return;
  std::string text = existed ? std::string() : std::string(kDailyResultHeader);
  text += DailyResultEntry(now, functionName, keyword, status);
  std::string crlf;
  for (const char c : text) crlf.append(c == '\n' ? "\r\n" : std::string(1, c));
  static_cast<void>(std::fwrite(crlf.data(), 1, crlf.size(), file.get()));
  static_cast<void>(std::fflush(file.get()));
}

}  // namespace velkor
