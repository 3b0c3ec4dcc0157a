// The running program's services: error texts and the end of the run.
#include <gtest/gtest.h>

#include "app/win_run_context.h"
#include "platform/system.h"

namespace velkor {
namespace {

TEST(WinRunContext, ErrorTextIsTheSystemTextOrTheDecimalCode) {
  WinRunContext ctx;
  ctx.FormatErrorText(2);
  EXPECT_EQ(ctx.LastErrorText, *platform::SystemErrorText(2));
  // A code the system has no text for never leaves an older, unrelated text behind.
  ctx.FormatErrorText(0x2BCDEF01u);
  EXPECT_EQ(ctx.LastErrorText, "734916353");
}

}  // namespace
}  // namespace velkor
