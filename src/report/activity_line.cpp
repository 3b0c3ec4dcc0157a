#include "report/activity_line.h"

#include <cstdio>

#include "core/text.h"
#include "core/text_limits.h"

namespace velkor {

std::string NormaliseEntryType(std::string_view type) {
  if (EqualsIgnoringAsciiCase(type, "Information")) return "INFO";
  std::string result = Bounded(type, limits::kEntryType);
  for (char& c : result) c = AsciiUpper(c);
  return result;
}

std::string FormatLogDate(const LocalTime& t) {
  char buffer[64];
  // Any clock reading fits; snprintf would cut a longer text at the buffer's end.
  static_cast<void>(std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day));
  return buffer;
}

std::string ComposeActivityLine(std::string_view date, std::string_view time, std::string_view user,
                                std::string_view module, std::string_view type, std::string_view message,
                                std::string_view detail, std::string_view extra) {
  std::string line;
  line.reserve(date.size() + time.size() + user.size() + module.size() + type.size() + message.size() +
               detail.size() + extra.size() + 8);
  const std::string normalisedType = NormaliseEntryType(type);
  line.append(date).append(" ").append(time);
  for (std::string_view field : {user, module, std::string_view(normalisedType), message, detail, extra})
    line.append("\t").append(field);
  // A line that does not fit is cut, keeping its line feed so the next entry starts a line.
  if (line.size() >= limits::kActivityLine) line.resize(limits::kActivityLine - 1);
  line.push_back('\n');
  return line;
}

}  // namespace velkor
