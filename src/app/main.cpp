// Velkor.exe: a run-once, windowless health monitor started by the agent.
#include <windows.h>

#include "app/startup.h"
#include "core/guard.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  velkor::WinRunContext ctx;
  try {
    return velkor::Guarded(ctx, velkor::StandardHandler("WinMain"), [&] { return velkor::RunVelkor(ctx); });
  } catch (const velkor::RunEnded& ended) {
    return ended.exitCode;
  }
}
