#include "app/single_instance.h"

#include <string>

#include "core/guard.h"
#include "core/text.h"
#include "platform/processes.h"

namespace velkor {

namespace {
constexpr HandlerPolicy kHandler = StandardHandler("KillPreviousInstances");
constexpr char kProgram[] = "Velkor.exe";
// An ended copy is waited for until it is gone (a few seconds at most), so
// that it has let go of the databases before this run opens them.
constexpr unsigned kEndWaitMs = 5000;
}  // namespace

std::uint32_t KillPreviousInstances(RunContext& ctx) {
  return Guarded(ctx, kHandler, [&]() -> std::uint32_t {
    const std::uint32_t self = platform::CurrentProcessId();
    const std::uint32_t error = platform::ForEachProcess([&](std::uint32_t id, const std::string& exeName) {
      if (id != self && EqualsIgnoringAsciiCase(exeName, kProgram))
        platform::EndProcessIfStillNamed(id, kProgram, kEndWaitMs);
    });
    if (error != 0) {
      ctx.FormatErrorText(error);
      ctx.LogActivity("KillPreviousInstances", "Info",
                      "CreateToolhelp32Snapshot failed with Error code=", ctx.LastErrorText, "");
    }
    return error;
  });
}

}  // namespace velkor
