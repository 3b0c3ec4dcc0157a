#include "platform/system.h"

#include <windows.h>
#include <winsock2.h>

#include <cstdlib>

namespace velkor::platform {

namespace {
SYSTEMTIME ToSystemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDayOfWeek = static_cast<WORD>(t.dayOfWeek);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.milliseconds);
  return st;
}
}  // namespace

LocalTime LocalNow() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                   st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

std::string TwelveHourTime(const LocalTime& t) {
  const SYSTEMTIME st = ToSystemTime(t);
  char buffer[256] = {};
  const int length = GetTimeFormatA(0x800, 0, &st, "hh':'mm':'ss tt", buffer, sizeof buffer);
  return length > 0 ? std::string(buffer) : std::string();
}

std::string UserName() {
  char buffer[1024] = {};
  DWORD size = sizeof buffer;
  return GetUserNameA(buffer, &size) ? std::string(buffer) : std::string();
}

std::uint32_t LastError() { return GetLastError(); }
void SetLastErrorCode(std::uint32_t code) { SetLastError(code); }

std::optional<std::string> SystemErrorText(std::uint32_t code, std::uint32_t language) {
  char* text = nullptr;
  // Without inserts: a text such as 193's ("%1 is not a valid Win32
  // application.") would otherwise come back empty, or worse.
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, language, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return std::nullopt;
  std::string result(text, length);
  LocalFree(text);
  return result;
}

void DebugOutput(const std::string& text) { OutputDebugStringA(text.c_str()); }

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i] != nullptr ? __argv[i] : "");
  return arguments;
}

std::optional<std::string> HostNameFromWinsock() {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return std::nullopt;
  char buffer[260] = {};
  std::string name;
  if (gethostname(buffer, sizeof buffer) == 0) name = buffer;
  WSACleanup();
  return name;
}

}  // namespace velkor::platform

namespace velkor::platform {

std::string ComputerName() {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof buffer;
  return GetComputerNameA(buffer, &size) ? std::string(buffer, size) : std::string();
}

bool RunningUnderWow64() {
  // Looked up: Windows 2000 and the first releases of XP and 2003 lack the call.
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return false;
  const auto isWow64 = reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace velkor::platform
