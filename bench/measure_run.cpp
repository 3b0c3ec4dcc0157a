// Starts a program in its own folder, waits for it to end and reports what
// the run cost it:
//   measure_run PROGRAM [ARGUMENT...]
// prints "exit_code", "seconds" (from the start to the end of the program),
// "start_ticks" and "end_ticks" (the system time at both, in 100-ns units, so
// that other processes' marks on the same clock can be set against the run),
// "ticks_per_second", "peak_working_set_kib" (the program's peak
// working set, from its process memory counters) and "memory_readings" (how
// often the counters were read).
#include <windows.h>
// windows.h first: the headers below rely on its types.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/handles.h"

namespace {

using velkor::platform::Handle;

constexpr DWORD kPollMilliseconds = 5;

// One argument as the C runtime splits a command line: quoted when it holds
// a blank, a tab or a quote, with quotes and the backslashes before them escaped.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

constexpr long long kTicksPerSecond = 10000000;

long long Ticks() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                                now.dwLowDateTime);
}

int Measure(int argc, char** argv) {
  const std::string program = argv[1];
  std::string commandLine = Quoted(program);
  for (int i = 2; i < argc; ++i) commandLine += " " + Quoted(argv[i]);
  const std::size_t slash = program.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string(".") : program.substr(0, slash);

  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  const long long start = Ticks();
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &started)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), GetLastError());
    return 2;
  }
  const Handle process(started.hProcess);
  const Handle thread(started.hThread);
  // The counters of a process that has ended are gone (under Wine they are
  // read from the running process), so they are read while it runs: the peak
  // only grows, and the last reading is the peak up to a few milliseconds
  // before the end.
  SIZE_T peak = 0;
  int readings = 0;
  while (WaitForSingleObject(process.get(), kPollMilliseconds) == WAIT_TIMEOUT) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process.get(), &counters, sizeof(counters))) {
      peak = std::max(peak, counters.PeakWorkingSetSize);
      ++readings;
    }
  }
  const long long end = Ticks();

  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  std::printf("exit_code %lu\n", exitCode);
  std::printf("seconds %.3f\n", static_cast<double>(end - start) / static_cast<double>(kTicksPerSecond));
  std::printf("start_ticks %lld\n", start);
  std::printf("end_ticks %lld\n", end);
  std::printf("ticks_per_second %lld\n", kTicksPerSecond);
  std::printf("peak_working_set_kib %llu\n", static_cast<unsigned long long>(peak / 1024));
  std::printf("memory_readings %d\n", readings);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: measure_run PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  return Measure(argc, argv);
}
