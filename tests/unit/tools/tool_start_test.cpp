#include "tools/tool_start.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
  const std::pair<std::string, std::string> cases[] = {
      // a command and what starts under WoW64
      {"repadmin", "S:\\repadmin.exe"},
      {"dcdiag.exe", "S:\\dcdiag.exe"},
      {"net", "net"},                  // beside Velkor.exe
      {"gpotool.exe", "gpotool.exe"},  // in the working folder, where it is looked for
      {"netdom", "netdom"},            // nowhere: left to the usual search
      {"tool", "tool"},                // a name without an extension is started as tool.exe
      {"C:\\T\\repadmin", "C:\\T\\repadmin"},
      {"T\\repadmin", "T\\repadmin"},
      {"", ""},
  };
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

}  // namespace
}  // namespace velkor
