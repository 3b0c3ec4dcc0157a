#include "results/quick_run.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "classify/function_ids.h"
#include "classify/keywords.h"
#include "classify/recognition.h"
#include "classify/share_listing.h"
#include "classify/sub_keywords.h"
#include "core/guard.h"
#include "core/text.h"
#include "core/text_limits.h"
#include "platform/com.h"
#include "platform/ini.h"
#include "platform/phrase_list.h"
#include "results/database_component.h"
#include "results/result_submission.h"
#include "tools/tool_kinds.h"

namespace velkor {
namespace {

constexpr std::string_view kModule = "SetMonIDStatus";
constexpr HandlerPolicy kSetMonIDStatusHandler = HandlerWithoutStatus(kModule);
constexpr char kConnectivityCommand[] = "DcDiag.exe";

// The hit texts of a search, one per phrase (none where a hit cannot be read).
using Hits = std::vector<std::optional<std::string>>;

// The quick run of one database.
class DatabaseRun {
 public:
  DatabaseRun(RunContext& ctx, const ParserEntryPoints& parser, ResultComponentClient& component,
              const platform::Variant& database)
      : ctx_(ctx), parser_(parser), component_(component), database_(database) {}

  void Run() {
    const int rotation = AdvanceRotation();
    ShareRun(rotation);
    ConnectivityRun(rotation);
  }

 private:
  void Info(std::string_view message, std::string_view detail = "", std::string_view extra = "") {
    ctx_.LogActivity(kModule, "Info", message, detail, extra);
  }
  void Submit(const std::string& functionId, const std::string& status, const std::string& errorCode) {
    SetFuncIDStat(ctx_, component_, functionId, database_, status, errorCode);
  }

  int AdvanceRotation() {
    const int rotation = NextRotation(platform::IniReadInt(ctx_.AgentIniPath, "LOG", "VALUE", 0));
    platform::IniWrite(ctx_.AgentIniPath, "LOG", "VALUE", std::to_string(rotation));
    return rotation;
  }

  // Runs the tool into its output file of this rotation; false (with the
  // failure line) when it cannot be run. Each tool starts without an error
  // text, so that no other tool's failure is submitted with its results.
  bool RunTool(int kind, const std::string& command, const std::string& parameters, const char* fileName,
               int rotation) {
    ctx_.ToolOutputPath = Bounded(ctx_.InstallationPath + "nexagent\\ApplicationLog\\Velkor\\" + fileName +
                                      std::to_string(rotation) + ".txt",
                                  limits::kAgentIniPath);
    errorText_.clear();
    if (ExecuteExe(ctx_, parser_, command, parameters, kind, errorText_) != 0) return true;
    Info("ExecuteEXE Failed with Status 0 Exe name is and Errorcode", command, errorText_);
    return false;
  }

  // Searches the output file for `phrases`; none (with the failure line) when
  // the search fails.
  std::optional<Hits> Search(const PhraseList& phrases) {
    platform::Variant list, hits;
    platform::StorePhraseList(phrases, list);
    if (ParseFromFile(ctx_, parser_, list, hits, errorText_) == 0) {
      Info("ParseFile Failed with  status 0 and Errorcode", "", errorText_);
      return std::nullopt;
    }
    Hits texts = platform::ReadPhraseList(hits);
    texts.resize(phrases.size());
    return texts;
  }

  void ShareRun(int rotation) {
    if (!RunTool(NetShare, "Net", " share", "VelkorTemp_NetShare", rotation)) return;
    PhraseList shares;
    GetKeyWordsToSearch(ctx_, 0, shares);
    const std::optional<Hits> hits = Search(shares);
    if (!hits) return;
    std::string shareStatus;
    for (std::size_t i = 0; i < shares.size(); ++i) {
      // A share's name may stand inside another share's path: it counts only
      // where a line of the listing names the share.
      const bool listed =
          AtoiLike((*hits)[i].value_or("")) != 0 && IsShareListedInFile(ctx_.ToolOutputPath, shares[i]);
      if (!listed)
        shareStatus = "1";
      else if (shareStatus != "1")
        shareStatus = "0";
    }
    const bool bothListed = shareStatus == "0";
    Submit("1001", bothListed ? "0" : "1", "0");
    Submit("3001", bothListed ? "1" : "0", "0");
  }

  void ConnectivityRun(int rotation) {
    if (!RunTool(DcDiag, kConnectivityCommand, "/test:Connectivity", "VelkorTemp_DcDiag_testConnectivity",
                 rotation))
      return;
    JoinWrappedVerdictsInFile(ctx_.ToolOutputPath);
    PhraseList keywords;
    GetKeyWordsToSearch(ctx_, 1, keywords);
    const std::optional<Hits> hits = Search(WithReportLines(keywords, DcDiag));
    if (!hits) return;
    // A report without any of dcdiag's report lines submits nothing, as one
    // that cannot be searched.
    const auto lineHit = hits->begin() + static_cast<std::ptrdiff_t>(keywords.size());
    if (std::none_of(lineHit, hits->end(), [](const auto& hit) { return AtoiLike(hit.value_or("")) != 0; })) {
      ReportUnrecognised(ctx_, kModule, kConnectivityCommand, DcDiag);
      return;
    }
    for (std::size_t i = 0; i < keywords.size(); ++i) {
      if (AtoiLike((*hits)[i].value_or("")) != 0) {
        ConnectivityFailed();
      } else {
        Submit("1003", "0", "0");
        Submit("3003", "1", "0");
      }
    }
  }

  // Submits the failed connectivity test with its detail conditions; a detail
  // search that fails leaves 1003 and the details unsubmitted.
  void ConnectivityFailed() {
    if (errorText_.empty()) errorText_ = "0";
    Submit("3003", "0", errorText_);
    PhraseList details;
    SubKeyWordstoSearch(ctx_, 1, details);
    const std::optional<Hits> hits = Search(details);
    if (!hits) return;
    bool anyFound = false;
    for (std::size_t j = 0; j < details.size(); ++j) {
      if (details[j].empty()) continue;  // a place in the list without a phrase
      const std::string hit = (*hits)[j].value_or("");
      const std::string functionId = std::to_string(GetSubKeyWordFunctionID(details[j]));
      ctx_.LogActivity("Info", "before setFuncIDStat Funcid Status Error ", functionId, hit, errorText_);
      Submit(functionId, hit, errorText_);
      anyFound = anyFound || AtoiLike(hit) == 1;
    }
    Submit("1003", anyFound ? "0" : "1", errorText_);
  }

  RunContext& ctx_;
  const ParserEntryPoints& parser_;
  ResultComponentClient& component_;
  const platform::Variant& database_;
  std::string errorText_;
};

// The text after the path's last backslash (the whole path when it has none).
std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void ComponentNotCreated(RunContext& ctx, HRESULT hr) {
  char text[64] = {};
  std::snprintf(text, sizeof text, "CoCreateInstance Failed With Error Code  %08x.",
                static_cast<unsigned>(hr));
  ctx.LastErrorText = text;
  ctx.LogActivity(kModule, "Info", ctx.LastErrorText, "", "");
  ctx.ShutdownCleanup();
  EndRun(0);
}

// Runs every database of the paths array.
void RunDatabases(RunContext& ctx, const ParserEntryPoints& parser, ResultComponentClient& component,
                  const DatabasePaths& paths, StatusContext* status) {
  const std::optional<long> count = paths.DatabaseCount();
  if (!count) ctx.LogActivity(kModule, "Info", "no DataBase found", "", "");
  ctx.LogActivity(kModule, "Info", "Number Of DataBase", std::to_string(count.value_or(0)), "");
  for (long i = 0; i < count.value_or(0); ++i) {
    const std::optional<platform::Variant> database = paths.Element(i);
    const std::string path = database ? database->ToAnsi() : std::string();
    ctx.LogActivity(kModule, "Info", "DB Path", path, "");
    if (!database) continue;
    ctx.DatabaseName = Bounded(FileNamePart(path), limits::kDatabaseName);
    if (status != nullptr) status->databaseName = Bounded(ctx.DatabaseName, limits::kStatusDatabaseName);
    DatabaseRun(ctx, parser, component, *database).Run();
  }
}

}  // namespace

void SetMonIDStatus(RunContext& ctx, const ParserEntryPoints& parser, StatusContext* status) {
  Guarded(ctx, kSetMonIDStatusHandler, [&] {
    platform::ComApartment apartment;
    ResultComponentClient component;
    if (const HRESULT hr = component.Create(); FAILED(hr)) ComponentNotCreated(ctx, hr);

    DatabasePaths paths;
    const ComponentOutcome listed = component.GetDBPaths(ctx.InstallationPath + "Nexagent\\Config", paths);
    if (listed)
      RunDatabases(ctx, parser, component, paths, status);
    else  // nothing is submitted; the line says why, before the run's closing line
      ctx.LogActivity(kModule, "ERROR", "GetDBPaths Failed", "", listed.errorText);
    component.Release();
    apartment.Leave();
  });
}

}  // namespace velkor
