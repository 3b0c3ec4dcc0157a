// A stand-in for the Windows Time service: registered under its name
// (W32Time), it reports itself running until it is asked to stop. The sandbox
// registers it so that the controller's time service reads as healthy; the
// time service test registers it for the length of a test.
#include <windows.h>

namespace {

constexpr char kServiceName[] = "W32Time";
SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopRequested = nullptr;

void Report(DWORD state) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(stopRequested);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, char**) {
  statusHandle = RegisterServiceCtrlHandlerExA(kServiceName, Control, nullptr);
  if (statusHandle == nullptr) return;
  Report(SERVICE_RUNNING);
  WaitForSingleObject(stopRequested, INFINITE);
  Report(SERVICE_STOPPED);
}

}  // namespace

int main() {
  stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  char name[] = "W32Time";
  SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
