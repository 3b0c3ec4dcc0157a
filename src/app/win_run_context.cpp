#include "app/win_run_context.h"

#include "core/guard.h"
#include "core/text_limits.h"
#include "platform/system.h"

namespace velkor {

namespace {
// A failure inside the activity log ends the run without a further line.
const HandlerPolicy kLogActivityHandler{.module = "LogActivity",
                                        .message = "",
                                        .detail = ErrorDetail::None,
                                        .writeLine = false,
                                        .reportStatus = false};
}  // namespace

void WinRunContext::LogActivity(std::string_view module, std::string_view type, std::string_view message,
                                std::string_view detail, std::string_view extra) {
  if (!activityLog) return;
  Guarded(*this, kLogActivityHandler,
          [&] { activityLog->Write(platform::LocalNow(), module, type, message, detail, extra); });
}

void WinRunContext::ReportStatus(std::string_view description) {
  if (status)
    velkor::ReportStatus(*this, *status, description);
  else
    ErrorReported = true;
}

void WinRunContext::FormatErrorText(std::uint32_t code) {
  // A code the system has no text for is named by its number, never by an older text.
  if (const auto text = platform::SystemErrorText(code))
    LastErrorText = Bounded(*text, limits::kLastErrorText);
  else
    LastErrorText = std::to_string(code);
}

std::uint32_t WinRunContext::LastSystemError() const { return platform::LastError(); }

void WinRunContext::ShutdownCleanup() {
  if (fullRun && ErrorReported) fullRun->EndedWithStatus();
  fullRun.reset();
  AgentIniPath.clear();
  status.reset();
  activityLog.reset();
  loggerLibrary.reset();
  parser = ParserEntryPoints{};
  parserLibrary.reset();
}

void WinRunContext::DebugTrace(std::string_view text) { platform::DebugOutput(std::string(text)); }

LocalTime WinRunContext::Now() { return platform::LocalNow(); }

}  // namespace velkor
