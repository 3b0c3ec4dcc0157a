// The logger library with an access violation on request, never shipped: the
// first line holding the text VELKOR_FAULT_ON names faults, and with
// VELKOR_FAULT_FROM every line from that one on. The export's name leads
// here (faulting_logger.def); every other line goes to the stand-in's own.
#include <windows.h>

#include <string_view>

#include "platform/logger_api.h"

extern "C" decltype(LogDataToDisk) FaultingLogDataToDisk;  // the very type, calling convention included

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
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0,
                   nullptr);  // as a null dereference
  }
  return LogDataToDisk(path, text, length, header, mode, out);
}
