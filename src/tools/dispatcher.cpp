#include "tools/dispatcher.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "classify/function_ids.h"
#include "classify/keywords.h"
#include "classify/recognition.h"
#include "classify/repadmin.h"
#include "classify/share_listing.h"
#include "classify/sub_keywords.h"
#include "classify/tool_descriptors.h"
#include "classify/wrapped_verdicts.h"
#include "core/guard.h"
#include "core/text.h"
#include "report/daily_result_line.h"
#include "tools/tool_start.h"

namespace velkor {
namespace {

constexpr std::string_view kModule = "CmdExecute";
constexpr std::string_view kWebPostLine =
    "<----------------------Need to send a WebPost-------------------->";
constexpr std::string_view kBindingsKeyword = "Bindings test. . . . . . . . . . . : Failed";
constexpr int kReplicationSlot = 108;

// The outcome of one search: whether each phrase was found (hit text reading
// 1) and the phrases as the search component left them.
struct SearchResult {
  std::vector<bool> found;
  std::vector<std::string> phrases;
};

// One tool's evaluation, with the texts every line of it names.
class Evaluation {
 public:
  Evaluation(RunContext& ctx, ToolRunSetting& setting, ConditionSlots& errorCodeSlots,
             const ToolDescriptor& tool, ConditionSlots& statusSlots)
      : ctx_(ctx),
        setting_(setting),
        errorCodeSlots_(errorCodeSlots),
        statusSlots_(statusSlots),
        tool_(tool),
        executable_(PrepareToolRun(ctx, tool.kind)),
        parameters_(tool.parameters) {}

  int Run() {
    if (setting_.parser.Execute(executable_, parameters_, tool_.kind, errorText_) == 0) {
      SetToolErrorCodes(tool_.kind, errorText_, errorCodeSlots_);
      const std::string detail =
          "ExecuteEXE failed with error code " + errorText_ + " command is " + executable_;
      ctx_.LogActivity(kModule, "ERROR", "ExecuteEXE  Failed", detail, "");
      Daily(detail, 0);
      return 0;
    }
    if (tool_.judgement == Judgement::FailureCount) return EvaluateReplication();
    if (tool_.wrapsVerdicts) JoinWrappedVerdictsInFile(ctx_.ToolOutputPath);
    return EvaluateKeywords();
  }

 private:
  void Info(const std::string& text) { ctx_.LogActivity(kModule, "INFO", "", text, ""); }
  void Daily(std::string_view phrase, int status) {
    AppendDailyResult(ctx_, setting_.dailyResultLog, executable_, phrase, status);
  }
  void Flag() { statusSlots_.Set(ConditionSlots::SlotOf(ctx_.CurrentFunctionID), "1"); }
  std::string Named(std::string_view phrase, std::string_view verdict) const {
    return "[" + std::string(phrase) + "] " + std::string(verdict) + " in the Command " + executable_ +
           " with Parameters " + parameters_;
  }
  std::string Condition() const {
    const std::string id = std::to_string(ctx_.CurrentFunctionID);
    return " Condition ID = " + id + " Function ID=" + id;
  }
  // The WebPost line and the line naming a found failure and its condition.
  void FoundFailure(std::string_view phrase, std::string_view status) {
    Info(std::string(kWebPostLine));
    Info(Named(phrase, "value found") + Condition() + " Status =" + std::string(status));
  }

  // A report without any of its tool's report lines is judged like one that
  // cannot be searched: its conditions stay as they are, and its error codes,
  // an ERROR line, the run's status and the daily result log say why. None
  // of its phrases is logged as not found: that would read as healthy.
  int Unrecognised() {
    SetToolErrorCodes(tool_.kind, kUnrecognisedReportCode, errorCodeSlots_);
    ReportUnrecognised(ctx_, kModule, executable_, tool_.kind, setting_.unrecognisedReported);
    Daily(UnrecognisedReportText(executable_), 0);
    return 0;
  }

  // The report is recognised by the reader that counts its failures: a
  // report that reader cannot make out, in another language or encoding,
  // would otherwise count none. A count it found is a verdict whatever else
  // the report holds.
  int EvaluateReplication() {
    std::string text;
    bool counted = false;
    const int verdict = ParseRepadminFile(ctx_, text, &counted);
    if (text.empty() && !counted && !FileHoldsAnyLine(ctx_.ToolOutputPath, tool_.reportLines))
      return Unrecognised();
    Daily(">10 Consectutive Failures", verdict);
    if (verdict != 0) {
      statusSlots_.Set(kReplicationSlot, "1");
      return 1;
    }
    if (!text.empty()) SetToolErrorCodes(tool_.kind, text, errorCodeSlots_);
    statusSlots_.Set(kReplicationSlot, "0");
    return 1;
  }

  // Searches the report for `phrases`; nothing when the search fails.
  std::optional<SearchResult> Search(const PhraseList& phrases) {
    SearchHits hits;
    if (setting_.parser.Search(phrases, hits, errorText_) == 0) return std::nullopt;
    SearchResult result;
    for (std::size_t i = 0; i < phrases.size(); ++i) {
      result.found.push_back(i < hits.hits.size() && hits.hits[i] && AtoiLike(*hits.hits[i]) == 1);
      const bool readBack = i < hits.phrases.size() && hits.phrases[i] && !hits.phrases[i]->empty();
      result.phrases.push_back(readBack ? *hits.phrases[i] : phrases[i]);
    }
    return result;
  }

  // A share counts as listed only where a line of the listing names it; the
  // name alone may stand inside another share's path.
  bool Confirmed(const std::string& keyword) const {
    return !tool_.confirmShares || IsShareListedInFile(ctx_.ToolOutputPath, keyword);
  }

  int EvaluateKeywords() {
    PhraseList keywords;
    GetKeyWords(ctx_, tool_.kind, keywords);
    const std::optional<SearchResult> search = Search(WithReportLines(keywords, tool_.kind));
    if (!search) {
      SetToolErrorCodes(tool_.kind, errorText_, errorCodeSlots_);
      ctx_.LogActivity(
          kModule, "ERROR", "ParseFromFile Failed",
          "ParseFromFile failed with error code " + errorText_ + " File name is " + ctx_.ToolOutputPath, "");
      return 0;
    }
    const auto lineFound = search->found.begin() + static_cast<std::ptrdiff_t>(keywords.size());
    if (!tool_.reportLines.empty() && std::none_of(lineFound, search->found.end(), [](bool f) { return f; }))
      return Unrecognised();
    for (std::size_t i = 0; i < keywords.size(); ++i) {
      const std::string& keyword = keywords[i];
      SetKeyWordFunctionID(ctx_, keyword);
      if (search->found[i] && Confirmed(keyword)) {
        KeywordFound(keyword);
      } else {
        KeywordNotFound(keyword);
      }
    }
    return 1;
  }

  void KeywordNotFound(const std::string& keyword) {
    if (tool_.judgement == Judgement::MissingIsFailure) {
      Flag();
      Info(std::string(kWebPostLine));
      Info(Named(keyword, "value not found") + Condition());
    }
    Daily(keyword, 0);
    Info(Named(keyword, "value not found"));
  }

  void KeywordFound(const std::string& keyword) {
    Daily(keyword, 1);
    Info(Named(keyword, "value found"));
    PhraseList details;
    if (SubKeyWords(ctx_, keyword, details) <= 0) {
      if (keyword == kBindingsKeyword) {
        Flag();
        FoundFailure(keyword, "1");
      }
      return;
    }
    const std::optional<SearchResult> search = Search(details);
    if (!search) {
      SetToolErrorCodes(tool_.kind, errorText_, errorCodeSlots_);
      Info("ParseFromFile failed for Subkeys with error code " + errorText_ + " File name is " +
           ctx_.ToolOutputPath);
      return;
    }
    bool anyFound = false;
    for (std::size_t j = 0; j < details.size(); ++j) {
      const std::string& detail = search->phrases[j];
      if (!search->found[j]) {
        Daily(detail, 0);
        Info("[" + detail + "] Subkeyword not found in the command " + executable_);
        continue;
      }
      anyFound = true;
      if (const int functionId = GetSubKeyWordFunctionID(detail); functionId != 0)
        ctx_.CurrentFunctionID = functionId;
      Flag();
      Daily(detail, 1);
      FoundFailure(detail, "1");
      Info("[" + detail + "] Subkeyword found in the File " + ctx_.ToolOutputPath + " ");
    }
    if (!anyFound) {
      SetKeyWordFunctionID(ctx_, keyword);
      Flag();
      FoundFailure(keyword, "unknown error");
    }
  }

  RunContext& ctx_;
  ToolRunSetting& setting_;
  ConditionSlots& errorCodeSlots_;
  ConditionSlots& statusSlots_;
  const ToolDescriptor& tool_;
  const std::string executable_;
  const std::string parameters_;
  std::string errorText_;
};

}  // namespace

int CmdExecute(RunContext& ctx, ToolRunSetting& setting, ConditionSlots& errorCodeSlots, int toolKind,
               ConditionSlots& statusSlots) {
  return Guarded(ctx, HandlerWithoutStatus(kModule), [&] {
    const ToolDescriptor* tool = FullRunTool(toolKind);
    if (tool == nullptr) return 0;
    return Evaluation(ctx, setting, errorCodeSlots, *tool, statusSlots).Run();
  });
}

}  // namespace velkor
