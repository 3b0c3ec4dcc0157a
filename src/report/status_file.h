// The run's status: the VELKOR keys of the agent INI file and the status
// file emitted into DevadEZ when the status changes and once a day.
//
// Nothing is lost on the way out. A status file is composed whole in the log
// folder (every write checked) under a name no other status file has, and
// only then moved into DevadEZ, never over another file. Until it is there,
// the key UNSENT names it, written before the status keys themselves: a run
// that finds UNSENT set delivers that file when it is whole, and otherwise
// emits the stored status again. Whole status files that earlier runs left in
// the log folder (DevadEZ missing, blocked or the file held open) are
// delivered by the next run, oldest first; a broken one is removed with an
// ERROR line.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

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

// A key of section VELKOR and the value a status change gives it.
using StatusKey = std::pair<const char*, std::string>;

// Emits a status file: names it, marks it unsent, writes `keys` (in order)
// and MNTIME, composes the file from the stored STATUS and ERRORDESC and
// delivers it with every other whole file waiting in the log folder.
void EmitStatusFile(RunContext& ctx, StatusContext& status, std::initializer_list<StatusKey> keys = {});

// Delivers the status files waiting in the log folder into DevadEZ, oldest
// first; with `removeBroken`, one that is not whole is removed with an ERROR
// line. Then the file UNSENT names, if it was neither delivered now nor is in
// DevadEZ, is emitted again from the stored status. Called as a run starts.
void DeliverWaitingStatusFiles(RunContext& ctx, StatusContext& status, bool removeBroken);

}  // namespace velkor
