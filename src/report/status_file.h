// The run's status: the VELKOR keys of the agent INI file and the status
// file emitted into DevadEZ when the status changes and once a day.
#pragma once

#include <string>
#include <string_view>

#include "core/run_context.h"

namespace velkor {

// The run-wide record of the status file writer.
struct StatusContext {
  std::string statusFilePath;
  std::string iniPath;
  std::string databaseName;
  std::string installationPath;
  std::string regId;
};

void ReportStatus(RunContext& ctx, StatusContext& status, std::string_view description);
int ReportRecovery(RunContext& ctx, StatusContext& status);
void SettleRunStatus(RunContext& ctx, StatusContext& status);
void DayUpdate(RunContext& ctx, StatusContext& status);
void WriteStatusFile(RunContext& ctx, StatusContext& status);
void MoveStatusFileToAlerts(StatusContext& status);

}  // namespace velkor
