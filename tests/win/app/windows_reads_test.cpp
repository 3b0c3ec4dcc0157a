// What start-up asks of Windows that the runs of Velkor.exe cannot show: the agent's
// registry values' buffer edge, and a system error's text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/agent_settings.h"
#include "app/win_run_context.h"
#include "platform/registry.h"

namespace velkor {
namespace {

// Velkor reads the 32-bit view into a 1024-byte buffer; 1024 bytes without a
// terminating zero fill it exactly, one more is no value. (The failure texts
// reach no log nor status.)
TEST(AgentSettings, AgentValueFromThe32BitViewUpToItsBuffer) {
  const std::string agentKey = "SOFTWARE\\VelkorAgentSettingsTest", full(1024, 'x');
  platform::RegKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, agentKey.c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, key.receive(), nullptr),
            ERROR_SUCCESS);
  for (const std::string& data : {full, full + "y"})
    RegSetValueExA(key.get(), data.size() == 1024 ? "Full" : "TooLong", 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  EXPECT_EQ(ReadAgentValue(agentKey, "Full").value, full);
  EXPECT_EQ(ReadAgentValue(agentKey, "TooLong").value, std::nullopt);
  EXPECT_EQ(ReadAgentValue(agentKey + "\\Absent", "Full").value, std::nullopt);
  key.reset();
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, agentKey.c_str(), KEY_WOW64_32KEY, 0);
}

// A system text with an insert ("%1 is not a valid Win32 application.") comes
// back with the insert as it stands, not empty.
TEST(WinRunContext, ErrorTextIsTheSystemTextWithItsInsertsOrTheDecimalCode) {
  WinRunContext ctx;
  ctx.FormatErrorText(193);
  EXPECT_NE(ctx.LastErrorText.find("%1"), std::string::npos) << ctx.LastErrorText;
  // A code the system has no text for never leaves an older, unrelated text behind.
  ctx.FormatErrorText(0x2BCDEF01u);
  EXPECT_EQ(ctx.LastErrorText, "734916353");
}

}  // namespace
}  // namespace velkor
