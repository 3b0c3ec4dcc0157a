#include "platform/faults.h"

#include <windows.h>

namespace velkor::platform {

namespace {

void (*lastChanceHandle)() noexcept = nullptr;
LONG handling = 0;

// A second fault while the first is handled (the logger faulting again, say)
// ends the process at once with 0. Raised errors only: a C++ exception thrown
// and caught on the way is none of them.
LONG WINAPI SecondFault(EXCEPTION_POINTERS* fault) {
  if (fault != nullptr && fault->ExceptionRecord != nullptr &&
      (fault->ExceptionRecord->ExceptionCode & 0xF0000000u) == 0xC0000000u)
    TerminateProcess(GetCurrentProcess(), 0);
  return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS* /*fault*/) {
  AddVectoredExceptionHandler(1, SecondFault);
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
