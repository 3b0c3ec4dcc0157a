#include "platform/processes.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "platform/handles.h"

namespace velkor::platform {

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

std::uint32_t ForEachProcess(const std::function<void(std::uint32_t, const std::string&)>& visit) {
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return GetLastError();
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    visit(entry.th32ProcessID, entry.szExeFile);
    entry = PROCESSENTRY32{};
    entry.dwSize = sizeof entry;
  }
  return 0;
}

void EndProcessIfRunning(std::uint32_t id) {
  // Only the rights used: Windows before 6.0 refuses the whole of today's
  // PROCESS_ALL_ACCESS (0x1FFFFF), and a process may grant no more than these.
  Handle process(OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id));
  if (!process) return;
  DWORD code = 0;
  if (GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE)
    TerminateProcess(process.get(), STILL_ACTIVE);
}

}  // namespace velkor::platform
