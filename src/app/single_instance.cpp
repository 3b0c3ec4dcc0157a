#include "app/single_instance.h"

#include <string>

#include "app/guard.h"
#include "platform/processes.h"

namespace velkor {

namespace {
const HandlerPolicy kHandler = StandardHandler("KillPreviousInstances");

bool IsVelkorExe(const std::string& name) {
  static constexpr char kName[] = "velkor.exe";
  if (name.size() != sizeof kName - 1) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kName[i]) return false;
  }
  return true;
}
}  // namespace

std::uint32_t KillPreviousInstances(RunContext& ctx) {
  return Guarded(ctx, kHandler, [&]() -> std::uint32_t {
    const std::uint32_t self = platform::CurrentProcessId();
    const std::uint32_t error = platform::ForEachProcess([&](std::uint32_t id, const std::string& exeName) {
      if (id != self && IsVelkorExe(exeName)) platform::EndProcessIfRunning(id);
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
