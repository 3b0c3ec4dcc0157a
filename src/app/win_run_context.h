// The running program's RunContext: the loaded libraries, the activity log and
// the status record, all released by ShutdownCleanup.
#pragma once

#include <optional>

#include "app/unfinished_runs.h"
#include "core/run_context.h"
#include "platform/handles.h"
#include "report/activity_log.h"
#include "report/status_file.h"
#include "tools/tool_runner.h"

namespace velkor {

class WinRunContext final : public RunContext {
 public:
  void LogActivity(std::string_view module, std::string_view type, std::string_view message,
                   std::string_view detail, std::string_view extra) override;
  void ReportStatus(std::string_view description) override;
  void FormatErrorText(std::uint32_t code) override;
  std::uint32_t LastSystemError() const override;
  void ShutdownCleanup() override;
  void DebugTrace(std::string_view text) override;
  LocalTime Now() override;

  // The status record, present from its creation at start-up until ShutdownCleanup.
  std::optional<StatusContext> status;
  platform::Module loggerLibrary;
  std::optional<ActivityLog> activityLog;
  platform::Module parserLibrary;
  ParserEntryPoints parser;
  // The mark of a full run under way, from its start until it ends. A run
  // that ends early after reporting a status clears it in ShutdownCleanup;
  // one that ends silently, or not at all, leaves it for the next to count.
  std::optional<FullRunMark> fullRun;
};

}  // namespace velkor
