#include "report/activity_log.h"

#include "platform/files.h"
#include "platform/system.h"
#include "report/activity_line.h"

namespace velkor {

void ActivityLog::Send(const std::string& text, const char* header) const {
  int unused = 0;
  entry_(path_.c_str(), text.c_str(), static_cast<int>(text.size()), header, 2, &unused);
}

void ActivityLog::Write(const LocalTime& now, std::string_view module, std::string_view type,
                        std::string_view message, std::string_view detail, std::string_view extra) const {
  const std::string date = FormatLogDate(now);
  const std::string time = platform::TwelveHourTime(now);
  if (!platform::FileExists(path_)) Send(std::string(kActivityFieldLine), kActivityHeaderMarker.data());
  Send(ComposeActivityLine(date, time, userName_, module, type, message, detail, extra), nullptr);
}

}  // namespace velkor
