// The edges of joining dcdiag's wrapped verdicts; the fuzz target
// wrapped_verdicts checks the joining against a plain model on any report,
// fed in any pieces.
#include "classify/wrapped_verdicts.h"

#include <gtest/gtest.h>

#include <string>

#include "support/source_files.h"

namespace velkor {
namespace {

using testing::Utf16;

TEST(WrappedVerdicts, VerdictTakesTheTestNameFromTheNextLineThatHoldsOne) {
  const std::pair<const char*, const char*> cases[] = {
      // a report and its joined text, none: as it was
      {"   .... DC1 failed test\r\n\r\n   FsmoCheck\r\nnext", "   .... DC1 failed test FsmoCheck\r\nnext"},
      {"x passed test \t\r\n \t\r\n\r\n\tName  \r\n", "x passed test Name  \r\n"},
      {"failed test\nfailed test\n\nX\n", "failed test failed test X\n"},  // joined twice
      {"x failed test\r\n\r\n", nullptr},                                  // nothing follows: as it was
      {"x failed tests\r\nName\r\n", nullptr},                             // no verdict
      {"x failed\r\ntest Name\r\n", nullptr},
      {"x failed test Name\r\nY\r\n", nullptr},
      {"\xFF", nullptr},  // half a byte-order mark
  };
  for (const auto& [report, joined] : cases) {
    SCOPED_TRACE(report);
    const std::string expected = joined != nullptr ? joined : report;
    EXPECT_EQ(JoinWrappedVerdicts(report), expected);
    EXPECT_EQ(JoinWrappedVerdicts(Utf16(report)), Utf16(expected));
    WrappedVerdicts joiner;  // a byte at a time
    std::string out;
    for (const char byte : Utf16(report)) joiner.Feed(std::string_view(&byte, 1), out);
    joiner.Finish(out);
    EXPECT_EQ(out, Utf16(expected));
  }
}

}  // namespace
}  // namespace velkor
