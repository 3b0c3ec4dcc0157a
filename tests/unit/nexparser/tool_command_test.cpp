#include "tool_command.h"

#include <gtest/gtest.h>

namespace nexparser {
namespace {

TEST(BuildCommandLine, QuotesPathsWithBlanksAndJoinsParameters) {
  struct Case {
    const wchar_t* command;
    const wchar_t* parameters;
    const wchar_t* line;
  } cases[] = {
      {L"net", L" share", L"net share"},
      {L"netdom", L"query fsmo", L"netdom query fsmo"},
      {L"gpotool.exe", L"  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}",
       L"gpotool.exe  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}"},
      {L"dcdiag.exe", L"", L"dcdiag.exe"},
      {L"C:\\PROG~FBU\\SUPP~FMI\\dcdiag.exe", L"", L"C:\\PROG~FBU\\SUPP~FMI\\dcdiag.exe"},
      {L"C:\\Program Files\\Support Tools\\repadmin", L" /showreps",
       L"\"C:\\Program Files\\Support Tools\\repadmin\" /showreps"},
      {L"\"C:\\Program Files\\x.exe\"", L"", L"\"C:\\Program Files\\x.exe\""},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildCommandLine(c.command, c.parameters), c.line);
}

}  // namespace
}  // namespace nexparser
