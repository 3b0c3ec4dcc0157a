// A test build of the logger library that raises an access violation on
// request: the environment variable VELKOR_FAULT_ON names a text, and the
// first line to be written that holds it faults instead; with VELKOR_FAULT_FROM
// that line and every line after it fault. Every other call is the stand-in's
// own LogDataToDisk, which this library carries unchanged and exports under
// its name in place of this wrapper (faulting_logger.def).
#include <windows.h>

#include <string_view>

#include "platform/logger_api.h"

// The very type of the export, calling convention included.
extern "C" decltype(LogDataToDisk) FaultingLogDataToDisk;

int FaultingLogDataToDisk(const char* path, const char* text, int length, const char* header, int mode,
                          int* out) {
  static bool faulted = false;
  char wanted[256] = {};
  DWORD size = GetEnvironmentVariableA("VELKOR_FAULT_ON", wanted, sizeof wanted);
  const bool once = size > 0;
  if (!once) size = GetEnvironmentVariableA("VELKOR_FAULT_FROM", wanted, sizeof wanted);
  const bool matches =
      size > 0 && size < sizeof wanted && text != nullptr && length > 0 &&
      std::string_view(text, static_cast<std::size_t>(length)).find(wanted) != std::string_view::npos;
  if ((!faulted && matches) || (faulted && !once)) {
    faulted = true;
    // What a null dereference raises, without undefined behaviour.
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
  return LogDataToDisk(path, text, length, header, mode, out);
}
