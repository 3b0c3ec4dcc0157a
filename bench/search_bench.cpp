// Times one search of a report through the loaded parser library, with the
// dcdiag keywords, and reports the process's peak working set.
//   search_bench --phrases          the phrases as grep takes them: the part
//                                   before any "*", one a line
//   search_bench REPORT [LIBRARY]   searches REPORT with LIBRARY (default: the
//                                   NexParser.dll beside this program) and
//                                   prints "hits", "seconds", "peak_kib" and
//                                   "start_peak_kib" lines
#include <windows.h>
// windows.h first: the headers below rely on its types.
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "classify/tool_descriptors.h"
#include "core/phrase_list.h"
#include "platform/library.h"
#include "platform/nexparser_api.h"
#include "platform/phrase_list.h"

namespace {

velkor::PhraseList DcDiagPhrases() {
  velkor::PhraseList phrases;
  for (const auto& keyword : velkor::FullRunTool(velkor::DcDiag)->keywords)
    phrases.emplace_back(keyword.phrase);
  return phrases;
}

std::size_t PeakKib() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return counters.PeakWorkingSetSize / 1024;
}

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

int Search(const char* report, const std::string& libraryPath) {
  using namespace velkor;
  const std::size_t startPeak = PeakKib();
  const platform::Module library = platform::LoadModule(libraryPath);
  const auto parse = platform::ModuleExport<NexParseFileFn>(library, kNexParseFileExport);
  if (parse == nullptr) {
    std::fprintf(stderr, "cannot load %s (error %lu)\n", libraryPath.c_str(), GetLastError());
    return 2;
  }
  platform::Variant file(report), phrases, hits, result;
  platform::StorePhraseList(DcDiagPhrases(), phrases);

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const int returned = parse(file.get(), phrases.get(), hits.get(), result.get());
  QueryPerformanceCounter(&end);
  if (returned == 0 || !result.IsEmpty()) {
    std::fprintf(stderr, "search failed: %s\n", result.ToAnsi().c_str());
    return 1;
  }
  std::string hitText;
  for (const std::optional<std::string>& hit : platform::ReadPhraseList(hits)) hitText += hit.value_or("?");
  std::printf("hits %s\n", hitText.c_str());
  std::printf("seconds %.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  std::printf("peak_kib %zu\n", PeakKib());
  std::printf("start_peak_kib %zu\n", startPeak);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--phrases") == 0) {
    for (const std::string& phrase : DcDiagPhrases())
      std::printf("%s\n", phrase.substr(0, phrase.find('*')).c_str());
    return 0;
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: search_bench --phrases | search_bench REPORT [LIBRARY]\n");
    return 2;
  }
  return Search(argv[1], argc == 3 ? argv[2] : BesideThisProgram("NexParser.dll"));
}
