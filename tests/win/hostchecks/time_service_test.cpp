// The time service check against the real service manager: the sandbox's time
// service registered as W32Time for the test, and removed again afterwards
// (without one, the check's error code is in every end-to-end run's results).
#include "hostchecks/time_service.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/services.h"
#include "support/system_run_context.h"
#include "support/test_files.h"

namespace velkor {
namespace {

constexpr char kServiceName[] = "W32Time";
constexpr char kDisplayName[] = "Velkor test time service";

bool WaitFor(const platform::ScHandle& service, DWORD wanted) {
  DWORD state = 0;
  for (int i = 0; i < 200 && !(platform::QueryServiceState(service, state) && state == wanted); ++i)
    Sleep(100);
  return state == wanted;
}

class TimeServiceCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTestService();  // also one an interrupted run left behind
    if (platform::OpenServiceForStatus(manager, kServiceName)) GTEST_SKIP() << "a W32Time service of its own";
  }
  void TearDown() override { RemoveTestService(); }
  void RemoveTestService() const {
    char name[64] = {};
    DWORD size = sizeof name;
    if (!GetServiceDisplayNameA(manager.get(), kServiceName, name, &size) ||
        std::string(name) != kDisplayName)
      return;
    const platform::ScHandle service(OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
    SERVICE_STATUS status{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    WaitFor(service, SERVICE_STOPPED);
    DeleteService(service.get());
  }
  // "state/text" of a check, and the lines it logs.
  std::string Check() {
    ctx.lines.clear();
    const TimeService found = CheckServiceStatus(ctx);
    return std::to_string(found.state) + "/" + found.text + "\n" + ctx.Logged();
  }

  const platform::ScHandle manager{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)};
  testing::SystemRunContext ctx;
};

TEST_F(TimeServiceCheck, StoppedAndRunning) {
  const std::string binary = "\"" + testing::BinFolder() + "timeservice.exe\"";
  const platform::ScHandle service(CreateServiceA(manager.get(), kServiceName, kDisplayName,
                                                  SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                                  SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(),
                                                  nullptr, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(service) << GetLastError();
  EXPECT_EQ(Check(), "0/0\n");

  // Under Wine a start is refused for a while after the prefix boots (1055), and
  // the first start may time out (1053) although the service comes up.
  for (const ULONGLONG end = GetTickCount64() + 240000; GetTickCount64() < end; Sleep(200))
    if (StartServiceA(service.get(), 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) break;
  ASSERT_TRUE(WaitFor(service, SERVICE_RUNNING));
  EXPECT_EQ(Check(), "1/0\nCheckServiceStatus|INFO|Service is running||\n");
}

}  // namespace
}  // namespace velkor
