// The run's process-wide values and the services every operation may call.
// Portable: the Windows program and the native unit tests each provide one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/local_time.h"

namespace velkor {

class RunContext {
 public:
  RunContext() = default;
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;
  virtual ~RunContext() = default;

  // One activity-log line. Does nothing while no logger library is loaded.
  virtual void LogActivity(std::string_view module, std::string_view type, std::string_view message,
                           std::string_view detail, std::string_view extra) = 0;
  // Records an error as the run's status (INI keys and status file).
  virtual void ReportStatus(std::string_view description) = 0;
  // Puts the system's text for `code` into LastErrorText (the decimal code when there is none).
  virtual void FormatErrorText(std::uint32_t code) = 0;
  // The calling thread's last Windows error code.
  virtual std::uint32_t LastSystemError() const = 0;
  // Releases the run's resources; safe at any point and more than once.
  virtual void ShutdownCleanup() = 0;
  // A debug trace (OutputDebugStringA); carries no behaviour.
  virtual void DebugTrace(std::string_view text) = 0;
  // The local time, read afresh on every call.
  virtual LocalTime Now() = 0;

  // Process-wide values, alive for the whole run. Each is kept within its
  // limit from text_limits.h by whoever sets it. What the stages of a run
  // hand each other goes through their arguments and results; of that, only
  // the current tool's output file and the function ID that carries over
  // from one tool to the next stay here.
  std::string UserName;
  std::string AgentKeyPath;
  std::string InstallationPath;  // ends with a backslash
  std::string RegID;
  std::string AgentIniPath;
  std::string HostName;
  std::string ActivityLogPath;
  std::string LastErrorText;
  std::string ToolOutputPath;
  int RunMode = 0;
  int CurrentFunctionID = 0;
  bool ErrorReported = false;
};

}  // namespace velkor
