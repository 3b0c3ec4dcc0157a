// Velkor.exe: a run-once, windowless health monitor started by the agent.
#include <windows.h>

#include "app/startup.h"
#include "core/guard.h"
#include "platform/faults.h"
#include "platform/search_order.h"

namespace {
constexpr velkor::HandlerPolicy kWinMainHandler = velkor::StandardHandler("WinMain");
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before any library or tool is looked for by its bare name.
  velkor::platform::KeepWorkingFolderOutOfSearch();
  velkor::WinRunContext ctx;
  // An access violation, in the program or in a component's export, escapes
  // every catch-all handler: the last-chance handler carries out WinMain's
  // policy for it and ends the process with 0.
  const velkor::LastChanceHandling lastChance(ctx, kWinMainHandler);
  velkor::platform::InstallLastChanceHandler(&velkor::HandleFaultOutsideHandlers);
  try {
    return velkor::Guarded(ctx, kWinMainHandler, [&] { return velkor::RunVelkor(ctx); });
  } catch (const velkor::RunEnded& ended) {
    return ended.exitCode;
  }
}
