#include "platform/services.h"

namespace velkor::platform {

ScHandle ConnectServiceManager() { return ScHandle(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT)); }

ScHandle OpenServiceForStatus(const ScHandle& manager, const std::string& name) {
  return ScHandle(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
}

bool QueryServiceState(const ScHandle& service, DWORD& currentState) {
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                            sizeof(status), &needed)) {
    return false;
  }
  currentState = status.dwCurrentState;
  return true;
}

}  // namespace velkor::platform
