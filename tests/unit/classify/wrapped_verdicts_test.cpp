#include "classify/wrapped_verdicts.h"

#include <gtest/gtest.h>

#include <string>

#include "support/source_files.h"

namespace velkor {
namespace {

using testing::ReadSourceFile;
using testing::WithCrLf;

// UTF-16LE with its byte-order mark, as a tool writing Unicode prints it.
std::string Utf16(const std::string& ansi) {
  std::string wide = "\xFF\xFE";
  for (const char c : ansi) wide += {c, '\0'};
  return wide;
}

std::string FedInPieces(const std::string& report, std::size_t piece) {
  WrappedVerdicts joiner;
  std::string out;
  for (std::size_t at = 0; at < report.size(); at += piece) joiner.Feed(report.substr(at, piece), out);
  joiner.Finish(out);
  return out;
}

TEST(WrappedVerdicts, VerdictTakesTheTestNameFromTheNextLineThatHoldsOne) {
  const struct {
    const char* report;
    const char* joined;
  } cases[] = {
      {"   .... DC1 failed test\r\n\r\n   FsmoCheck\r\nnext", "   .... DC1 failed test FsmoCheck\r\nnext"},
      {"x passed test \t\r\n \t\r\n\r\n\tName  \r\n", "x passed test Name  \r\n"},
      {"failed test\nfailed test\n\nX\n", "failed test failed test X\n"},  // joined twice
      {"x failed test\r\n\r\n", nullptr},                                  // nothing follows: as it was
      {"x failed tests\r\nName\r\n", nullptr},                             // no verdict
      {"x failed\r\ntest Name\r\n", nullptr},
      {"x failed test Name\r\nY\r\n", nullptr},
      {"", nullptr},
      {"\xFF", nullptr},
  };
  for (const auto& c : cases) {
    const std::string expected = c.joined != nullptr ? c.joined : c.report;
    EXPECT_EQ(JoinWrappedVerdicts(c.report), expected) << c.report;
    EXPECT_EQ(JoinWrappedVerdicts(Utf16(c.report)), Utf16(expected)) << c.report;
    EXPECT_EQ(FedInPieces(Utf16(c.report), 1), Utf16(expected)) << c.report;
  }
}

// A long DC name failing KnowsOfRoleHolders, a long domain failing FsmoCheck,
// wrapped passed tests and a verdict at the end without a test name; the
// healthy report, not wrapped, stays byte for byte.
TEST(WrappedVerdicts, RecordedReports) {
  const std::string wrapped = WithCrLf(ReadSourceFile("sandbox/scenarios/wrapped_verdicts/dcdiag.txt"));
  const std::string joined = JoinWrappedVerdicts(wrapped);
  EXPECT_NE(joined.find("BRANCH-DC-00127 failed test KnowsOfRoleHolders\r\n"), std::string::npos);
  EXPECT_NE(joined.find("ad.corp.examplecompany.com failed test FsmoCheck\r\n      Starting test"),
            std::string::npos);
  EXPECT_NE(joined.find("DomainDnsZones passed test CrossRefValidation\r\n"), std::string::npos);
  EXPECT_TRUE(joined.ends_with("ad.corp.examplecompany.com passed test\r\n\r\n"));
  for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
    EXPECT_EQ(FedInPieces(wrapped, piece), joined);
    EXPECT_EQ(FedInPieces(Utf16(wrapped), piece), Utf16(joined));
  }
  const std::string healthy = WithCrLf(ReadSourceFile("sandbox/scenarios/healthy/dcdiag.txt"));
  EXPECT_EQ(JoinWrappedVerdicts(healthy), healthy);
}

}  // namespace
}  // namespace velkor
