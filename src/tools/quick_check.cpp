#include "tools/quick_check.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "classify/function_ids.h"
#include "classify/keywords.h"
#include "classify/recognition.h"
#include "classify/share_listing.h"
#include "classify/sub_keywords.h"
#include "classify/tool_descriptors.h"
#include "classify/wrapped_verdicts.h"
#include "core/text.h"
#include "core/text_limits.h"

namespace velkor {
namespace {

constexpr std::string_view kModule = "SetMonIDStatus";

// The hit texts of a search, one per phrase (none where a hit cannot be read).
using Hits = std::vector<std::optional<std::string>>;

class QuickCheck {
 public:
  QuickCheck(RunContext& ctx, ParserCalls& parser, const SubmitResult& submit, int rotation,
             std::set<int>& unrecognisedReported)
      : ctx_(ctx), parser_(parser), submit_(submit), rotation_(rotation), reported_(unrecognisedReported) {}

  void ShareRun() {
    const ToolDescriptor& tool = QuickShareListing();
    if (!RunTool(tool)) return;
    PhraseList shares;
    GetKeyWordsToSearch(ctx_, 0, shares);
    const std::optional<Hits> hits = Search(shares);
    if (!hits) return;
    std::string shareStatus;
    for (std::size_t i = 0; i < shares.size(); ++i) {
      // A share's name may stand inside another share's path: it counts only
      // where a line of the listing names the share.
      const bool listed = AtoiLike((*hits)[i].value_or("")) != 0 &&
                          (!tool.confirmShares || IsShareListedInFile(ctx_.ToolOutputPath, shares[i]));
      if (!listed)
        shareStatus = "1";
      else if (shareStatus != "1")
        shareStatus = "0";
    }
    const bool bothListed = shareStatus == "0";
    submit_("1001", bothListed ? "0" : "1", "0");
    submit_("3001", bothListed ? "1" : "0", "0");
  }

  void ConnectivityRun() {
    const ToolDescriptor& tool = QuickConnectivityTest();
    if (!RunTool(tool)) return;
    if (tool.wrapsVerdicts) JoinWrappedVerdictsInFile(ctx_.ToolOutputPath);
    PhraseList keywords;
    GetKeyWordsToSearch(ctx_, 1, keywords);
    const std::optional<Hits> hits = Search(WithReportLines(keywords, tool.kind));
    if (!hits) return;
    // A report without any of dcdiag's report lines submits nothing, as one
    // that cannot be searched.
    const auto lineHit = hits->begin() + static_cast<std::ptrdiff_t>(keywords.size());
    if (std::none_of(lineHit, hits->end(), [](const auto& hit) { return AtoiLike(hit.value_or("")) != 0; })) {
      ReportUnrecognised(ctx_, kModule, tool.executable, tool.kind, reported_);
      return;
    }
    for (std::size_t i = 0; i < keywords.size(); ++i) {
      if (AtoiLike((*hits)[i].value_or("")) != 0) {
        ConnectivityFailed();
      } else {
        submit_("1003", "0", "0");
        submit_("3003", "1", "0");
      }
    }
  }

 private:
  void Info(std::string_view message, std::string_view detail = "", std::string_view extra = "") {
    ctx_.LogActivity(kModule, "Info", message, detail, extra);
  }

  // Runs the tool into its output file of this rotation; false (with the
  // failure line) when it cannot be run. Each tool starts without an error
  // text, so that no other tool's failure is submitted with its results.
  bool RunTool(const ToolDescriptor& tool) {
    ctx_.ToolOutputPath =
        Bounded(ctx_.InstallationPath + std::string(tool.outputPath) + std::to_string(rotation_) + ".txt",
                limits::kAgentIniPath);
    errorText_.clear();
    const std::string command(tool.executable);
    if (parser_.Execute(command, std::string(tool.parameters), tool.kind, errorText_) != 0) return true;
    Info("ExecuteEXE Failed with Status 0 Exe name is and Errorcode", command, errorText_);
    return false;
  }

  // Searches the output file for `phrases`; none (with the failure line) when
  // the search fails.
  std::optional<Hits> Search(const PhraseList& phrases) {
    SearchHits found;
    if (parser_.Search(phrases, found, errorText_) == 0) {
      Info("ParseFile Failed with  status 0 and Errorcode", "", errorText_);
      return std::nullopt;
    }
    found.hits.resize(phrases.size());
    return found.hits;
  }

  // Submits the failed connectivity test with its detail conditions; a detail
  // search that fails leaves 1003 and the details unsubmitted.
  void ConnectivityFailed() {
    if (errorText_.empty()) errorText_ = "0";
    submit_("3003", "0", errorText_);
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
      submit_(functionId, hit, errorText_);
      anyFound = anyFound || AtoiLike(hit) == 1;
    }
    submit_("1003", anyFound ? "0" : "1", errorText_);
  }

  RunContext& ctx_;
  ParserCalls& parser_;
  const SubmitResult& submit_;
  const int rotation_;
  std::set<int>& reported_;
  std::string errorText_;
};

}  // namespace

void CheckDatabaseQuickly(RunContext& ctx, ParserCalls& parser, const SubmitResult& submit, int rotation,
                          std::set<int>& unrecognisedReported) {
  QuickCheck check(ctx, parser, submit, rotation, unrecognisedReported);
  check.ShareRun();
  check.ConnectivityRun();
}

}  // namespace velkor
