#include "platform/faults.h"

#include <windows.h>

namespace velkor::platform {

namespace {

void (*lastChanceHandle)() noexcept = nullptr;
LONG handling = 0;

LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS* /*fault*/) {
  if (InterlockedExchange(&handling, 1) == 0 && lastChanceHandle != nullptr) lastChanceHandle();
  // The faulting code cannot go on, and whatever it held (a lock, a half-written
  // value) must not run again: end here, without the process's exit routines.
  TerminateProcess(GetCurrentProcess(), 0);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void InstallLastChanceHandler(void (*handle)() noexcept) {
  lastChanceHandle = handle;
  SetUnhandledExceptionFilter(LastChanceFilter);
}

}  // namespace velkor::platform
