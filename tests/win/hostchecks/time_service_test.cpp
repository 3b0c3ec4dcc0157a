// The time service check against the real service manager: the sandbox's
// time service registered as W32Time for the test, started, stopped and removed,
// so that the prefix is left without a W32Time service as it was found.
#include "hostchecks/time_service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/services.h"
#include "support/system_run_context.h"
#include "support/test_files.h"

namespace velkor {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::LoggedLine;

constexpr char kServiceName[] = "W32Time";

constexpr char kStubName[] = "timeservice.exe";

// The test's W32Time service, removed (after a stop) when the owner goes.
class TestTimeService {
 public:
  // Registers the stub; with `adoptLeftover`, takes over the stub's
  // registration that an interrupted run left behind instead.
  explicit TestTimeService(bool adoptLeftover = false)
      : manager_(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
    if (adoptLeftover) {
      service_.reset(OpenServiceA(manager_.get(), kServiceName, SERVICE_ALL_ACCESS));
      if (!IsStub()) service_.reset();
      return;
    }
    const std::string binary = "\"" + testing::BinFolder() + kStubName + "\"";
    service_.reset(CreateServiceA(manager_.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                  SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                  binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  }
  TestTimeService(const TestTimeService&) = delete;
  TestTimeService& operator=(const TestTimeService&) = delete;
  ~TestTimeService() {
    if (!service_) return;
    Stop();
    DeleteService(service_.get());
  }

  bool Exists() const { return static_cast<bool>(service_); }

  // Starts the service and waits until it reports running. Under Wine a start
  // is refused for a while after the prefix boots (1055, the service database
  // is locked while the boot's own services start), and the first start of
  // the stub may time out (1053) although the stub comes up.
  bool Start() {
    const ULONGLONG deadline = GetTickCount64() + 240000;
    while (GetTickCount64() < deadline) {
      if (StartServiceA(service_.get(), 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)
        return WaitFor(SERVICE_RUNNING);
      if (State() == SERVICE_RUNNING) return true;
      Sleep(200);
    }
    return false;
  }
  bool Stop() {
    SERVICE_STATUS status{};
    ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
    return WaitFor(SERVICE_STOPPED);
  }

 private:
  DWORD State() const {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service_.get(), &status) ? status.dwCurrentState : 0;
  }
  bool WaitFor(DWORD state) const {
    for (int i = 0; i < 200 && State() != state; ++i) Sleep(100);
    return State() == state;
  }
  bool IsStub() const {
    DWORD needed = 0;
    QueryServiceConfigA(service_.get(), nullptr, 0, &needed);
    std::vector<char> buffer(needed + 1);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    return needed != 0 && QueryServiceConfigA(service_.get(), config, needed, &needed) &&
           std::string(config->lpBinaryPathName).find(kStubName) != std::string::npos;
  }

  platform::ScHandle manager_;
  platform::ScHandle service_;
};

bool TimeServiceExists() {
  const platform::ScHandle manager = platform::ConnectServiceManager();
  return static_cast<bool>(platform::OpenServiceForStatus(manager, kServiceName));
}

class TimeServiceCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    TestTimeService{/*adoptLeftover=*/true};  // an interrupted run's registration goes
    if (TimeServiceExists()) GTEST_SKIP() << "this machine has a W32Time service of its own";
  }
  // "state/text" of a check.
  std::string Check() {
    ctx.lines.clear();
    const TimeService found = CheckServiceStatus(ctx);
    return std::to_string(found.state) + "/" + found.text;
  }
  testing::SystemRunContext ctx;
};

TEST_F(TimeServiceCheck, AbsentStoppedRunningAndStoppedAgain) {
  EXPECT_EQ(Check(), "2/1060");
  EXPECT_THAT(ctx.lines, ElementsAre(LoggedLine{"CheckServiceStatus", "ERROR", "OpenService  failed ",
                                                "system text 1060", ""}));
  {
    TestTimeService service;
    ASSERT_TRUE(service.Exists()) << GetLastError();
    EXPECT_EQ(Check(), "0/0");
    EXPECT_THAT(ctx.lines, IsEmpty());

    ASSERT_TRUE(service.Start());
    EXPECT_EQ(Check(), "1/0");
    EXPECT_THAT(ctx.lines,
                ElementsAre(LoggedLine{"CheckServiceStatus", "INFO", "Service is running", "", ""}));

    // What the check holds grants the status query and nothing more.
    const platform::ScHandle manager = platform::ConnectServiceManager();
    const platform::ScHandle queried = platform::OpenServiceForStatus(manager, kServiceName);
    SERVICE_STATUS status{};
    EXPECT_FALSE(ControlService(queried.get(), SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    ASSERT_TRUE(service.Stop());
    EXPECT_EQ(Check(), "0/0");
    EXPECT_THAT(ctx.lines, IsEmpty());
  }
  EXPECT_FALSE(TimeServiceExists());
}

}  // namespace
}  // namespace velkor
