// The activity log, written through the logger library's LogDataToDisk.
#pragma once

#include <string>
#include <string_view>

#include "core/local_time.h"
#include "platform/logger_api.h"

namespace velkor {

class ActivityLog {
 public:
  ActivityLog(LogDataToDiskFunction entry, std::string path, std::string userName)
      : entry_(entry), path_(std::move(path)), userName_(std::move(userName)) {}

  // Writes one line stamped with `now`; a missing file first gets the field line.
  void Write(const LocalTime& now, std::string_view module, std::string_view type, std::string_view message,
             std::string_view detail, std::string_view extra) const;

 private:
  void Send(const std::string& text, const char* header) const;

  LogDataToDiskFunction entry_;
  std::string path_;
  std::string userName_;
};

}  // namespace velkor
