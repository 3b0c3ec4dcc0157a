#include "tool_command.h"

#include <gtest/gtest.h>

namespace nexparser {
namespace {

TEST(BuildCommandLine, QuotesPathsWithBlanksAndJoinsParameters) {
  const struct {
    const wchar_t *command, *parameters, *line;
  } cases[] = {
      {L"net", L" share", L"net share"},
      {L"netdom", L"query fsmo", L"netdom query fsmo"},
      {L"gpotool.exe", L"  /gpo:{6AC1786C}", L"gpotool.exe  /gpo:{6AC1786C}"},
      {L"dcdiag.exe", L"", L"dcdiag.exe"},
      {L"C:\\Program Files\\Support Tools\\repadmin", L" /showreps",
       L"\"C:\\Program Files\\Support Tools\\repadmin\" /showreps"},
      {L"\"C:\\Program Files\\x.exe\"", L"", L"\"C:\\Program Files\\x.exe\""},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildCommandLine(c.command, c.parameters), c.line) << c.command;
}

}  // namespace
}  // namespace nexparser
