// The activity log, written through the logger library's LogDataToDisk.
#pragma once

#include <string>
#include <string_view>

#include "core/local_time.h"
#include "platform/files.h"
#include "platform/logger_api.h"

namespace velkor {

class ActivityLog {
 public:
  ActivityLog(LogDataToDiskFunction entry, std::string path, std::string userName);

  // Writes one line stamped with `now`; a missing file first gets the field
  // line. The file is looked for again only when a name in its folder has
  // changed since it was last found, so a log removed or moved away still
  // gets a new field line with its next entry.
  void Write(const LocalTime& now, std::string_view module, std::string_view type, std::string_view message,
             std::string_view detail, std::string_view extra) const;

 private:
  void Send(const std::string& text, const char* header) const;

  LogDataToDiskFunction entry_;
  std::string path_;
  std::string userName_;
  // What was learned about the file: it costs a directory search, where most
  // lines of a run follow one another with no name in the folder changing.
  mutable platform::FolderWatch folder_;
  mutable bool fileFound_ = false;
};

}  // namespace velkor
