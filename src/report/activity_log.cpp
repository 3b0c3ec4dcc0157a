#include "report/activity_log.h"

#include "platform/files.h"
#include "platform/system.h"
#include "report/activity_line.h"

namespace velkor {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

ActivityLog::ActivityLog(LogDataToDiskFunction entry, std::string path, std::string userName)
    : entry_(entry), path_(std::move(path)), userName_(std::move(userName)), folder_(FolderOf(path_)) {}

void ActivityLog::Send(const std::string& text, const char* header) const {
  int unused = 0;
  entry_(path_.c_str(), text.c_str(), static_cast<int>(text.size()), header, 2, &unused);
}

void ActivityLog::Write(const LocalTime& now, std::string_view module, std::string_view type,
                        std::string_view message, std::string_view detail, std::string_view extra) const {
  const std::string date = FormatLogDate(now);
  const std::string time = platform::TwelveHourTime(now);
  // The watch is asked first: it is re-armed before the look, so a change
  // after the look shows at the next line.
  if (folder_.Changed() || !fileFound_) {
    fileFound_ = platform::FileExists(path_);
    if (!fileFound_) Send(std::string(kActivityFieldLine), kActivityHeaderMarker.data());
  }
  Send(ComposeActivityLine(date, time, userName_, module, type, message, detail, extra), nullptr);
}

}  // namespace velkor
