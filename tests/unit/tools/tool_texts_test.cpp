// The tools' plain decisions: where a tool starts from, and the PDC role holder.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tools/role_holder.h"
#include "tools/tool_start.h"

namespace velkor {
namespace {

// A 32-bit Velkor on a 64-bit Windows takes a tool from the native system
// folder only when it is named bare, is not beside Velkor.exe and lies there.
TEST(ToolStart, BareToolsComeFromTheNativeSystemFolderUnderWow64) {
  const std::set<std::string> files = {"C:\\V\\net.exe", "S:\\repadmin.exe", "S:\\net.exe",
                                       "S:\\dcdiag.exe", "S:\\tool",         "W:\\gpotool.exe",
                                       "S:\\gpotool.exe"};
  const ToolSearch wow64{true, "C:\\V\\", "W:\\", "S:\\",
                         [&](const std::string& f) { return files.contains(f); }};
  ToolSearch native = wow64;
  native.wow64 = false;
  // A command and what starts under WoW64: net lies beside Velkor.exe, gpotool in the working folder,
  // where it is looked for, netdom nowhere (left to the usual search); "tool" is started as tool.exe.
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"repadmin", "S:\\repadmin.exe"}, {"dcdiag.exe", "S:\\dcdiag.exe"}, {"net", "net"},
      {"gpotool.exe", "gpotool.exe"}, {"netdom", "netdom"}, {"tool", "tool"},
      {"C:\\T\\repadmin", "C:\\T\\repadmin"}, {"T\\repadmin", "T\\repadmin"}, {"", ""}};
  // clang-format on
  for (const auto& [command, underWow64] : cases) {
    EXPECT_EQ(NativeToolCommand(command, wow64), underWow64) << command;
    EXPECT_EQ(NativeToolCommand(command, native), command) << command;
  }
}

TEST(ToolStart, OnlyTheLimitsEndARunForGood) {
  for (const char* text : {"1460", "258", "223"}) EXPECT_TRUE(ToolWasEndedAtItsLimits(text)) << text;
  for (const char* text : {"2", "5", "193", "", "1460 ", "x1460"})
    EXPECT_FALSE(ToolWasEndedAtItsLimits(text)) << text;
}

// The fuzz target role_holder checks both readings against plain models on any text; the unit
// run keeps the main edges: trailing blanks, a longer name first, a name inside another, no host.
TEST(RoleHolder, HolderIsTheLastWordAndAHostIsNamedOnlyAsAWholeName) {
  EXPECT_EQ(RoleLineHolder("PDC role                    DC1.corp.example.com   \t \r\n"),
            "DC1.corp.example.com");
  EXPECT_TRUE(NamesHost("DC10, DC1", "DC1"));
  EXPECT_FALSE(NamesHost("MYDC1", "DC1"));
  EXPECT_FALSE(NamesHost("DC1", ""));
}

}  // namespace
}  // namespace velkor
