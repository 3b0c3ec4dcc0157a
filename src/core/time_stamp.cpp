#include "core/time_stamp.h"

#include <cstdio>
#include <ctime>

namespace velkor {

std::string FormatTimeStamp(const LocalTime& t) {
  char buffer[64];
  // Any clock reading fits; snprintf would cut a longer text at the buffer's end.
  static_cast<void>(std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                                  t.day, t.hour, t.minute, t.second));
  return buffer;
}

std::int64_t ParseTimeStamp(const std::string& text) {
  int f[6] = {0, 0, 0, 0, 0, 0};
  // NOLINTBEGIN(cert-err34-c): the widths hold each field to four characters, so none can overflow.
  const int read =
      std::sscanf(text.c_str(), "%04d-%02d-%02d %02d:%02d:%02d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
  // NOLINTEND(cert-err34-c)
  if (read < 1) return -1;
  std::tm tm{};
  tm.tm_year = f[0] - 1900;
  tm.tm_mon = f[1] - 1;
  tm.tm_mday = f[2];
  tm.tm_hour = f[3];
  tm.tm_min = f[4];
  tm.tm_sec = f[5];
  tm.tm_isdst = 0;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

bool IsTwelveHoursElapsed(const std::string& last, const std::string& now) {
  if (last.empty() || now.empty()) return false;
  return ParseTimeStamp(now) - ParseTimeStamp(last) >= 43200;
}

}  // namespace velkor
