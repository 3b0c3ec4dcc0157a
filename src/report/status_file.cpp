#include "report/status_file.h"

#include <algorithm>
#include <vector>

#include "core/guard.h"
#include "core/text.h"
#include "core/text_limits.h"
#include "platform/file_moves.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/ole.h"
#include "platform/system.h"
#include "report/status_xml.h"

namespace velkor {

namespace {

constexpr char kSection[] = "VELKOR";
constexpr char kUnsent[] = "UNSENT";
// A file name is looked for this many times (each 10 ms later) before the last is taken.
constexpr int kNameTries = 100;
// How long a status file held by another program (a scanner) is waited for.
constexpr DWORD kMovePatienceMs = 2000;

const HandlerPolicy kDayUpdateHandler{.module = "DayUpdate",
                                      .type = "EXCEPTION",
                                      .message = " Error Occured While Processing Data",
                                      .detail = ErrorDetail::DecimalCode,
                                      .reportStatus = false};

std::string ReadKey(const StatusContext& status, const char* key, std::size_t buffer) {
  return platform::IniReadString(status.iniPath, kSection, key, "", buffer);
}

void WriteKey(const StatusContext& status, const char* key, const std::string& value) {
  platform::IniWrite(status.iniPath, kSection, key, value);
}

std::string LogFolder(const StatusContext& status) {
  return status.installationPath + "Nexagent\\ApplicationLog\\Velkor\\";
}
std::string AlertFolder(const StatusContext& status) { return status.installationPath + "DevadEZ\\"; }

// A file name no status file waiting or delivered has, for the local time
// `t` read after a 10 ms pause (again while the name is taken: names without
// leading zeros coincide for different times).
std::string FreeName(RunContext& ctx, const StatusContext& status, LocalTime& t) {
  std::string name;
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    platform::SleepMilliseconds(10);
    t = ctx.Now();
    name = StatusFileName(status.regId, t);
    if (!platform::IsFile(LogFolder(status) + name) && !platform::IsFile(AlertFolder(status) + name)) break;
  }
  return name;
}

// Moves a whole waiting file into DevadEZ, under a free name; false when it
// stays where it is.
bool Deliver(RunContext& ctx, const StatusContext& status, const std::string& name) {
  const std::string folder = AlertFolder(status);
  platform::CreateOneDirectory(folder);
  std::string target = name;
  for (int attempt = 0; attempt < kNameTries && platform::IsFile(folder + target); ++attempt) {
    LocalTime t;
    target = FreeName(ctx, status, t);
  }
  return platform::MoveFileWhenFree(LogFolder(status) + name, folder + target, 0, kMovePatienceMs) == 0;
}

// Composes the file `name` whole in the log folder; false (nothing left
// behind) when it cannot be written.
bool Compose(const StatusContext& status, const std::string& name, const LocalTime& t) {
  // The file has no XML declaration, so it is read as UTF-8: texts of the
  // system code page are converted (ASCII stays as it is).
  const std::string errorDesc =
      Bounded(ReadKey(status, "ERRORDESC", 1024), limits::kStatusDescriptionWritten);
  const std::string text = StatusFileText(
      StatusHeaderPiece(platform::AnsiToUtf8(status.regId), t),
      StatusBlockPiece(platform::AnsiToUtf8(ReadKey(status, "STATUS", 256)),
                       platform::AnsiToUtf8(status.databaseName), platform::AnsiToUtf8(errorDesc)));
  return platform::WriteNewFile(LogFolder(status) + name, text) == 0;
}

// What became of a waiting status file.
enum class Outcome { None, Delivered, Waits };

// Delivers the whole status files waiting in the log folder, oldest first;
// with `removeBroken` one that is not whole is removed with an ERROR line.
// Returns what became of the file named `name`.
Outcome DeliverWaiting(RunContext& ctx, const StatusContext& status, bool removeBroken,
                       const std::string& name) {
  std::vector<platform::FoundFile> waiting =
      platform::FindFiles(LogFolder(status) + std::string(kStatusFilePattern));
  std::stable_sort(waiting.begin(), waiting.end(),
                   [](const auto& a, const auto& b) { return a.lastWrite < b.lastWrite; });
  Outcome named = Outcome::None;
  bool blocked =
      false;  // a file that could not be moved keeps the later ones back: the agent posts them in order
  for (const platform::FoundFile& file : waiting) {
    const std::string path = LogFolder(status) + file.name;
    const std::optional<std::string> text = platform::ReadFileBytes(path);
    Outcome outcome = Outcome::Waits;
    if (!text) {
      blocked = true;  // held by another program: it may be whole
    } else if (IsWholeStatusFile(*text)) {
      if (!blocked && Deliver(ctx, status, file.name)) outcome = Outcome::Delivered;
      blocked = blocked || outcome == Outcome::Waits;
    } else if (removeBroken) {
      platform::RemoveFile(path);
      ctx.LogActivity("WinMain", "ERROR", "Incomplete status file removed", path, "");
      outcome = Outcome::None;
    }
    if (EqualsIgnoringAsciiCase(file.name, name)) named = outcome;
  }
  return named;
}

}  // namespace

void ReportStatus(RunContext& ctx, StatusContext& status, std::string_view description) {
  ctx.ErrorReported = true;
  // Stored as one line, so that the same failure compares equal on the next run.
  const std::string text = SingleLineDescription(description);
  const std::string stored = ReadKey(status, "ERRORDESC", 512);
  if (stored != Bounded(text, limits::kStatusDescriptionCompared))
    EmitStatusFile(
        ctx, status,
        {{"STATUS", "2"}, {"ERRORDESC", Bounded(text, limits::kLastErrorText)}, {"WEBPOST", "TRUE"}});
  DayUpdate(ctx, status);
}

int ReportRecovery(RunContext& ctx, StatusContext& status) {
  if (ReadKey(status, "STATUS", 128) != "2" || ReadKey(status, "ERRORDESC", 512).empty()) return 0;
  if (ReadKey(status, "WEBPOST", 128) != "TRUE") return 1;
  EmitStatusFile(ctx, status, {{"STATUS", "1"}, {"ERRORDESC", ""}});
  return 1;
}

void SettleRunStatus(RunContext& ctx, StatusContext& status) {
  if (ReportRecovery(ctx, status) == 1) return;
  if (ReadKey(status, "STATUS", 128) == "0") return;
  if (ReadKey(status, "ERRORDESC", 512) == "No Errors Found") return;
  EmitStatusFile(ctx, status, {{"STATUS", "0"}, {"ERRORDESC", "No Errors Found"}});
}

void DayUpdate(RunContext& ctx, StatusContext& status) {
  Guarded(ctx, kDayUpdateHandler, [&] {
    const std::string stored = ReadKey(status, "MNTIME", 256);
    if (stored.empty()) return;
    const LocalTime now = ctx.Now();
    // The whole date counts: the same day of another month is another day.
    if (ParseMnTimeDate(stored) == CalendarDate{now.year, now.month, now.day}) return;
    EmitStatusFile(ctx, status);
    WriteKey(status, "MNTIME", FormatMnTime(now));
  });
}

void EmitStatusFile(RunContext& ctx, StatusContext& status, std::initializer_list<StatusKey> keys) {
  LocalTime t;
  const std::string name = FreeName(ctx, status, t);
  // Marked unsent before the status it carries is stored.
  WriteKey(status, kUnsent, name);
  for (const auto& [key, value] : keys) WriteKey(status, key, value);
  WriteKey(status, "MNTIME", FormatMnTime(t));
  status.statusFilePath = LogFolder(status) + name;
  if (!Compose(status, name, t)) {
    status.statusFilePath.clear();
    ctx.LogActivity("WinMain", "Info", "Invalid xml file", "", "");
    return;
  }
  if (DeliverWaiting(ctx, status, false, name) == Outcome::Delivered) WriteKey(status, kUnsent, "");
}

void DeliverWaitingStatusFiles(RunContext& ctx, StatusContext& status, bool removeBroken) {
  const std::string unsent = ReadKey(status, kUnsent, 1024);
  const Outcome outcome = DeliverWaiting(ctx, status, removeBroken, unsent);
  if (unsent.empty() || outcome == Outcome::Waits) return;
  if (outcome == Outcome::Delivered || platform::IsFile(AlertFolder(status) + unsent)) {
    WriteKey(status, kUnsent, "");
    return;
  }
  // Marked unsent, but neither waiting nor delivered: the run that stored the
  // status ended before its file was whole. The stored status goes out now.
  if (removeBroken) EmitStatusFile(ctx, status);
}

}  // namespace velkor
