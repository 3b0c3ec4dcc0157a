#include "platform/processes.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "core/text.h"
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

void EndProcessIfStillNamed(std::uint32_t id, const std::string& exeName, unsigned waitMs) {
  // Only the rights used: Windows before 6.0 refuses the whole of today's
  // PROCESS_ALL_ACCESS (0x1FFFFF), and a process may grant no more than these.
  constexpr DWORD kEnd = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;
  Handle process(OpenProcess(kEnd | SYNCHRONIZE, FALSE, id));
  const bool canWait = static_cast<bool>(process);
  if (!process) process.reset(OpenProcess(kEnd, FALSE, id));
  if (!process) return;
  // While a handle is open, the id stays with its process: a fresh list that
  // still names the program there names this very process.
  bool still = false;
  ForEachProcess([&](std::uint32_t listed, const std::string& name) {
    still = still || (listed == id && EqualsIgnoringAsciiCase(name, exeName));
  });
  DWORD code = 0;
  if (!still || !GetExitCodeProcess(process.get(), &code) || code != STILL_ACTIVE) return;
  if (TerminateProcess(process.get(), STILL_ACTIVE) && canWait) WaitForSingleObject(process.get(), waitMs);
}

}  // namespace velkor::platform
