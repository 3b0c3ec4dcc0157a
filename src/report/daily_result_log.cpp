#include "report/daily_result_log.h"

#include "core/text.h"
#include "core/text_limits.h"
#include "platform/files.h"
#include "platform/system.h"
#include "report/daily_result_line.h"
#include "report/path_limits.h"

namespace velkor {

std::string SetDailyResultLogPath(RunContext& ctx, const std::string& databaseName) {
  if (const auto name = platform::HostNameFromWinsock()) ctx.HostName = Bounded(*name, limits::kHostName);
  const LocalTime now = ctx.Now();
  // Never outside the installation folder: an empty host name would put the
  // file in the root of the current drive.
  const std::string host =
      ctx.HostName.empty() ? Bounded(platform::ComputerName(), limits::kHostName) : ctx.HostName;
  if (host.empty()) return {};
  const std::string folder = DailyResultFolder(ctx.InstallationPath, databaseName, host, now);
  std::string file = DailyResultFile(folder, now);
  // The file's path holds the folder's: within its limit, both are. Over it,
  // this database's log is off rather than written into a cut path.
  if (!WithinPathLimit(ctx, "SetDailyResultLogPath", file, limits::kDailyResultLogPath)) return {};
  if (!platform::FileExists(folder)) MakeDirectoryPath(ctx, folder);
  return file;
}

}  // namespace velkor
