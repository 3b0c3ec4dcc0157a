#include "report/daily_result_log.h"

#include <cstdio>

#include "core/text.h"
#include "core/text_limits.h"
#include "hostchecks/host_checks.h"
#include "platform/files.h"
#include "platform/system.h"
#include "report/daily_result_line.h"
#include "report/path_limits.h"

namespace velkor {

void SetDailyResultLogPath(RunContext& ctx) {
  ReadHostName(ctx);
  const LocalTime now = ctx.Now();
  // Never outside the installation folder: an empty host name would put the
  // file in the root of the current drive.
  const std::string host =
      ctx.HostName.empty() ? Bounded(platform::ComputerName(), limits::kHostName) : ctx.HostName;
  if (host.empty()) {
    ctx.DailyResultLogPath.clear();
    return;
  }
  const std::string folder = DailyResultFolder(ctx.InstallationPath, ctx.DatabaseName, host, now);
  const std::string file = DailyResultFile(folder, now);
  // The file's path holds the folder's: within its limit, both are. Over it,
  // this database's log is off rather than written into a cut path.
  if (!WithinPathLimit(ctx, "SetDailyResultLogPath", file, limits::kDailyResultLogPath)) {
    ctx.DailyResultLogPath.clear();
    return;
  }
  if (!platform::FileExists(folder)) MakeDirectoryPath(ctx, folder);
  ctx.DailyResultLogPath = file;
}

void AppendDailyResult(RunContext& ctx, std::string_view functionName, std::string_view keyword, int status) {
  if (ctx.DailyResultLogPath.empty()) return;
  const LocalTime now = ctx.Now();
  const bool existed = platform::FileExists(ctx.DailyResultLogPath);
  const CFile file = OpenCFile(ctx.DailyResultLogPath, "a");
  if (!file) return;
  const std::string entry = DailyResultEntry(now, functionName, keyword, status);
  if (!existed) std::fputs(std::string(kDailyResultHeader).c_str(), file.get());
  std::fwrite(entry.data(), 1, entry.size(), file.get());
  std::fflush(file.get());
}

}  // namespace velkor
