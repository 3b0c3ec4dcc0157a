// The sandbox's recorded reports, searched as the parser library searches
// them: a healthy domain controller shows every phrase whose absence is a
// failure and none of the failure lines; each failing scenario shows its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "phrase_search.h"

namespace nexparser {
namespace {

std::string ScenarioFile(const std::string& relative) {
  const char* source = std::getenv("VELKOR_SOURCE_DIR");
  std::string root = source != nullptr ? source : ".";
#ifdef _WIN32
  if (!root.empty() && root[0] == '/') root = "Z:" + root;  // the Unix file system under Wine
#endif
  return root + "/sandbox/scenarios/" + relative;
}

std::string Read(const std::string& relative) {
  std::ifstream in(ScenarioFile(relative), std::ios::binary);
  EXPECT_TRUE(in.good()) << relative;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

struct Expectation {
  std::string report;  // scenario/file
  std::vector<std::string> present;
  std::vector<std::string> absent;
};

TEST(ScenarioReports, HoldTheirPhrases) {
  const std::string domainPolicy = "gpotool_gpo_{31B2F340-016D-11D2-945F-00C04FB984F9}.txt";
  const std::string controllersPolicy = "gpotool_gpo_{6AC1786C-016F-11D2-945F-00C04FB984F9}.txt";
  const Expectation expectations[] = {
      {"healthy/net.txt", {"Netlogon", "Sysvol", "NETLOGON", "SYSVOL"}, {}},
      {"healthy/dcdiag.txt",
       {"passed test Connectivity", "passed test frsevent"},
       {"failed test",
        "A recent replication attempt failed:", "failures have occurred since the last success.",
        "Event occured", "service is stopped", "service is paused"}},
      {"healthy/netdiag.txt",
       {"DNS test . . . . . . . . . . . . . : Passed", "DC discovery test  . . . . . . . . : Passed",
        "Bindings test. . . . . . . . . . . : Passed"},
       {": Failed", "[FATAL]"}},
      {"healthy/" + domainPolicy, {"Policy OK"}, {"Error"}},
      {"healthy/" + controllersPolicy, {"Policy OK"}, {"Error"}},
      {"healthy/repadmin.txt",
       {"was successful."},
       {"CONSECUTIVE FAILURES", "consecutive failure(s)", "failed"}},
      {"healthy/netdom.txt", {"PDC role * @HOST@.corp.example.com"}, {}},
      {"dns_failures/dcdiag.txt",
       {"failed test Connectivity", "The host * could not be resolved to an"},
       {"passed test Connectivity"}},
      {"dns_failures/netdiag.txt",
       {"DNS test . . . . . . . . . . . . . : Failed",
        "Cannot find a primary authoritative DNS server for the name",
        "The DNS entries for this DC are not registered correctly on DNS server",
        "No DNS servers have the DNS records for this DC registered."},
       {"DNS test . . . . . . . . . . . . . : Passed"}},
      {"replication_failures/dcdiag.txt",
       {"A recent replication attempt failed:", "DsBindWithSpnEx() failed with error 1722",
        "failed test kccevent", "An Error Event occured.  EventID: 0xC000051F"},
       {"10 failures have occurred since the last success."}},
      {"replication_failures/repadmin.txt", {"23 consecutive failure(s)."}, {"was successful."}},
      {"sysvol_missing/net.txt", {"IPC$"}, {"Netlogon", "Sysvol"}},
      {"sysvol_missing/dcdiag.txt",
       {"failed test NetLogons", "Unable to connect to the NETLOGON share!", "failed test frssysvol",
        "failed test frsevent", "There are warning or error events within the last 24 hours"},
       {}},
      {"services_stopped/dcdiag.txt",
       {"failed test Services", "NtFrs service is stopped", "w32time service is stopped"},
       {"failed test Connectivity"}},
      {"gpo_version_mismatch/" + controllersPolicy, {"Version mismatch"}, {"Policy OK"}},
      {"not_pdc/netdom.txt", {"PDC role * DC02.corp.example.com"}, {"PDC role * @HOST@"}},
  };
  for (const Expectation& e : expectations) {
    std::vector<std::string> phrases = e.present;
    phrases.insert(phrases.end(), e.absent.begin(), e.absent.end());
    PhraseSearch search(phrases);
    search.Feed(Read(e.report));
    search.Finish();
    for (std::size_t i = 0; i < phrases.size(); ++i)
      EXPECT_EQ(search.Found(i), i < e.present.size()) << e.report << ": " << phrases[i];
  }
}

// The replication count reads the last three lines of the report.
TEST(ScenarioReports, RepadminFailureCountStandsInTheLastThreeLines) {
  const struct {
    const char* report;
    const char* line;
  } cases[] = {
      {"replication_failures/repadmin.txt", "******* 23 CONSECUTIVE FAILURES since 2026-11-30 08:14:05"},
      {"replication_10_failures/repadmin.txt", "******* 10 CONSECUTIVE FAILURES since 2026-11-30 08:14:05"}};
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    std::istringstream in(Read(c.report));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 3u) << c.report;
    EXPECT_EQ(lines[lines.size() - 3], c.line) << c.report;
  }
}

}  // namespace
}  // namespace nexparser
