#include "hostchecks/time_service.h"

#include <string>

#include "core/guard.h"
#include "platform/services.h"

namespace velkor {
namespace {

constexpr std::string_view kModule = "CheckServiceStatus";

// A service-manager call failed: its error code is the result.
void CallFailed(RunContext& ctx, std::string_view message) {
  const std::uint32_t code = ctx.LastSystemError();
  ctx.TimeServiceText = std::to_string(code);
  ctx.FormatErrorText(code);
  ctx.LogActivity(kModule, "ERROR", message, ctx.LastErrorText, "");
  ctx.TimeServiceState = 2;
}

}  // namespace

void CheckServiceStatus(RunContext& ctx) {
  Guarded(ctx, StandardHandler(kModule), [&] {
    const platform::ScHandle manager = platform::ConnectServiceManager();
    if (!manager) return CallFailed(ctx, "OpenSCManager failed ");
    const platform::ScHandle service = platform::OpenServiceForStatus(manager, "W32Time");
    if (!service) return CallFailed(ctx, "OpenService  failed ");
    DWORD state = 0;
    if (!platform::QueryServiceState(service, state)) return CallFailed(ctx, "QueryServiceStatusEx failed ");
    // Assigned from a string: GCC 12 warns wrongly (-Wrestrict) on assigning the literal here.
    ctx.TimeServiceText = std::string("0");
    if (state == SERVICE_RUNNING) {
      ctx.LogActivity(kModule, "INFO", "Service is running", "", "");
      ctx.TimeServiceState = 1;
    } else {
      ctx.TimeServiceState = 0;
    }
  });
}

}  // namespace velkor
