// What the program asks of the system about itself.
#include "platform/system.h"

#include <gtest/gtest.h>

namespace velkor::platform {
namespace {

// Wine runs both widths in a 64-bit prefix, as a 64-bit Windows does: only
// the 32-bit build runs under WOW64, and only it takes tools from Sysnative.
TEST(System, OnlyThe32BitBuildRunsUnderWow64) { EXPECT_EQ(RunningUnderWow64(), sizeof(void*) == 4); }

// A system text with an insert ("%1 is not a valid Win32 application.") comes
// back with the insert as it stands, not empty.
TEST(System, ErrorTextsKeepTheirInserts) {
  const std::optional<std::string> text = SystemErrorText(193);
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("%1"), std::string::npos) << *text;
}

}  // namespace
}  // namespace velkor::platform
