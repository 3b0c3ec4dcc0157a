#include "report/status_file.h"

#include <cstdio>

#include "core/guard.h"
#include "core/text.h"
#include "core/text_limits.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/ole.h"
#include "platform/system.h"
#include "report/status_xml.h"

namespace velkor {

namespace {

constexpr char kSection[] = "VELKOR";

const HandlerPolicy kDayUpdateHandler{
    "DayUpdate", "EXCEPTION", " Error Occured While Processing Data", ErrorDetail::DecimalCode, true,
    false,       true};

std::string ReadKey(const StatusContext& status, const char* key, std::size_t buffer) {
  return platform::IniReadString(status.iniPath, kSection, key, "", buffer);
}

void WriteKey(const StatusContext& status, const char* key, const std::string& value) {
  platform::IniWrite(status.iniPath, kSection, key, value);
}

// Writes one piece in text mode (line feeds become CRLF); false when the file cannot be opened.
bool WritePiece(const std::string& path, const char* mode, const std::string& piece) {
  const CFile file = OpenCFile(path, mode);
  if (!file) return false;
  std::fwrite(piece.data(), 1, piece.size(), file.get());
  std::fflush(file.get());
  return true;
}

void EmitStatusFile(RunContext& ctx, StatusContext& status) {
  WriteStatusFile(ctx, status);
  MoveStatusFileToAlerts(status);
}

}  // namespace

void ReportStatus(RunContext& ctx, StatusContext& status, std::string_view description) {
  ctx.ErrorReported = true;
  // Stored as one line, so that the same failure compares equal on the next run.
  const std::string text = SingleLineDescription(description);
  const std::string stored = ReadKey(status, "ERRORDESC", 512);
  if (stored != Bounded(text, limits::kStatusDescriptionCompared)) {
    WriteKey(status, "STATUS", "2");
    WriteKey(status, "ERRORDESC", Bounded(text, limits::kLastErrorText));
    WriteKey(status, "WEBPOST", "TRUE");
    EmitStatusFile(ctx, status);
  }
  DayUpdate(ctx, status);
}

int ReportRecovery(RunContext& ctx, StatusContext& status) {
  if (ReadKey(status, "STATUS", 128) != "2" || ReadKey(status, "ERRORDESC", 512).empty()) return 0;
  if (ReadKey(status, "WEBPOST", 128) != "TRUE") return 1;
  WriteKey(status, "STATUS", "1");
  WriteKey(status, "ERRORDESC", "");
  EmitStatusFile(ctx, status);
  return 1;
}

void SettleRunStatus(RunContext& ctx, StatusContext& status) {
  if (ReportRecovery(ctx, status) == 1) return;
  if (ReadKey(status, "STATUS", 128) == "0") return;
  if (ReadKey(status, "ERRORDESC", 512) == "No Errors Found") return;
  WriteKey(status, "STATUS", "0");
  WriteKey(status, "ERRORDESC", "No Errors Found");
  EmitStatusFile(ctx, status);
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

void WriteStatusFile(RunContext& ctx, StatusContext& status) {
  platform::SleepMilliseconds(10);
  const LocalTime t = ctx.Now();
  status.statusFilePath =
      status.installationPath + "Nexagent\\ApplicationLog\\Velkor\\" + StatusFileName(status.regId, t);
  WriteKey(status, "MNTIME", FormatMnTime(t));
  // The file has no XML declaration, so it is read as UTF-8: texts of the
  // system code page are converted (ASCII stays as it is).
  if (!WritePiece(status.statusFilePath, "w", StatusHeaderPiece(platform::AnsiToUtf8(status.regId), t))) {
    status.statusFilePath.clear();
    ctx.LogActivity("WinMain", "Info", "Invalid xml file", "", "");
    return;
  }
  const std::string errorDesc =
      Bounded(ReadKey(status, "ERRORDESC", 1024), limits::kStatusDescriptionWritten);
  const std::string block =
      StatusBlockPiece(platform::AnsiToUtf8(ReadKey(status, "STATUS", 256)),
                       platform::AnsiToUtf8(status.databaseName), platform::AnsiToUtf8(errorDesc));
  WritePiece(status.statusFilePath, "a", block);
  WritePiece(status.statusFilePath, "a", std::string(kStatusFunctionPiece));
  WritePiece(status.statusFilePath, "a", std::string(kStatusFooterPiece));
}

void MoveStatusFileToAlerts(StatusContext& status) {
  if (status.statusFilePath.empty()) return;
  const std::string::size_type slash = status.statusFilePath.rfind('\\');
  const std::string name =
      slash == std::string::npos ? status.statusFilePath : status.statusFilePath.substr(slash + 1);
  const std::string folder = status.installationPath + "DevadEZ\\";
  platform::CreateOneDirectory(folder);
  platform::MoveFileTo(status.statusFilePath, folder + name);
}

}  // namespace velkor
