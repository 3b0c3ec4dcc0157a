#include "hostchecks/time_service.h"

#include <string>

#include "core/guard.h"
#include "platform/services.h"

namespace velkor {
namespace {

constexpr std::string_view kModule = "CheckServiceStatus";

// A service-manager call failed: its error code is the result.
TimeService CallFailed(RunContext& ctx, std::string_view message) {
  const std::uint32_t code = ctx.LastSystemError();
  ctx.FormatErrorText(code);
  ctx.LogActivity(kModule, "ERROR", message, ctx.LastErrorText, "");
  return {2, std::to_string(code)};
}

}  // namespace

TimeService CheckServiceStatus(RunContext& ctx) {
  return Guarded(ctx, StandardHandler(kModule), [&]() -> TimeService {
    const platform::ScHandle manager = platform::ConnectServiceManager();
    if (!manager) return CallFailed(ctx, "OpenSCManager failed ");
    const platform::ScHandle service = platform::OpenServiceForStatus(manager, "W32Time");
    if (!service) return CallFailed(ctx, "OpenService  failed ");
    DWORD state = 0;
    if (!platform::QueryServiceState(service, state)) return CallFailed(ctx, "QueryServiceStatusEx failed ");
    if (state != SERVICE_RUNNING) return {0, "0"};
    ctx.LogActivity(kModule, "INFO", "Service is running", "", "");
    return {1, "0"};
  });
}

}  // namespace velkor
