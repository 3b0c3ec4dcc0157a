// The sandbox's recorded reports, searched as the parser library searches
// them: each failing scenario shows its own failure lines. The healthy
// controller's reports are checked against Velkor's keyword lists elsewhere.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "phrase_search.h"

namespace nexparser {
namespace {

std::string Read(const std::string& relative) {
  const char* source = std::getenv("VELKOR_SOURCE_DIR");
  std::string path = std::string(source != nullptr ? source : ".") + "/sandbox/scenarios/" + relative;
#ifdef _WIN32
  if (path[0] == '/') path = "Z:" + path;  // the Unix file system under Wine
#endif
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

TEST(ScenarioReports, HoldTheirPhrases) {
  const struct {
    std::string report;  // scenario/file
    std::vector<std::string> present, absent;
  } expectations[] = {
      {"healthy/netdom.txt", {"PDC role * @HOST@.corp.example.com"}, {}},
      {"dns_failures/dcdiag.txt", {"The host * could not be resolved to an"}, {"passed test Connectivity"}},
      {"dns_failures/netdiag.txt", {"DNS test . . . . . . . . . . . . . : Failed"}, {}},
      {"replication_failures/dcdiag.txt",
       {"A recent replication attempt failed:", "DsBindWithSpnEx() failed with error 1722",
        "failed test kccevent"},
       {"10 failures have occurred since the last success."}},
      {"sysvol_missing/dcdiag.txt",
       {"failed test NetLogons", "Unable to connect to the NETLOGON share!"},
       {}},
      {"services_stopped/dcdiag.txt", {"failed test Services", "NtFrs service is stopped"}, {}},
  };
  for (const auto& e : expectations) {
    std::vector<std::string> phrases = e.present;
    phrases.insert(phrases.end(), e.absent.begin(), e.absent.end());
    PhraseSearch search(phrases);
    search.Feed(Read(e.report));
    search.Finish();
    for (std::size_t i = 0; i < phrases.size(); ++i)
      EXPECT_EQ(search.Found(i), i < e.present.size()) << e.report << ": " << phrases[i];
  }
}

// The replication count is read from the last three lines of the report.
TEST(ScenarioReports, TenFailuresStandInTheLastThreeLines) {
  std::vector<std::string> lines;
  std::istringstream in(Read("replication_10_failures/repadmin.txt"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "******* 10 CONSECUTIVE FAILURES since 2026-11-30 08:14:05");
}

}  // namespace
}  // namespace nexparser
