// Telling a report Velkor can read from one it cannot. Velkor judges a report
// by English phrases: a report in another language, one cut off before its
// first verdict, an empty one or a usage text holds none of them, and would
// read as healthy. Such a report is recognised as none of its tool's and
// judged as a report that could not be searched.
#pragma once

#include <set>
#include <span>
#include <string>
#include <string_view>

#include "core/phrase_list.h"
#include "core/run_context.h"

namespace velkor {

// What an unrecognised report leaves in its tool's error-code slots: the
// system's error code for invalid data.
inline constexpr std::string_view kUnrecognisedReportCode = "13";

// The lines by which the report of `toolKind` is recognised, one of which
// must occur in it (the tool's entry in the phrase tables). Empty for a tool
// whose report needs no such check and for an unknown tool kind.
std::span<const std::string_view> ReportLines(int toolKind);

// `keywords` followed by the report lines of `toolKind`, so that one search
// finds both: the report is read once, and recognised by the search that
// judges it.
PhraseList WithReportLines(const PhraseList& keywords, int toolKind);

// Whether a line of the file at `path` holds one of `lines`, the file read as
// plain text line by line, as the replication count reads its report (a
// line longer than 2047 characters in pieces). A file that cannot be opened
// holds none.
bool FileHoldsAnyLine(const std::string& path, std::span<const std::string_view> lines);

// "<executable> report not recognised (Errorcode=13)": the run's status and
// the daily result log's entry for the report.
std::string UnrecognisedReportText(std::string_view executable);

// Says that the report of `executable` (tool kind `toolKind`) in
// ToolOutputPath was not recognised: an ERROR line under `module` naming the
// tool, and the run's status, reported once a run for each tool kind
// (`reported` holds the kinds reported so far).
void ReportUnrecognised(RunContext& ctx, std::string_view module, std::string_view executable, int toolKind,
                        std::set<int>& reported);

}  // namespace velkor
