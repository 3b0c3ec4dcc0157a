// NexParser.dll under Wine: running fake tools into output files, the time
// and size limits, where a bare tool name is found, and searching reports.
// Each test loads its own copy of the library from a private folder, so that
// a NexParser.ini written beside it concerns that test alone.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the headers below rely on its types.
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/library.h"
#include "platform/nexparser_api.h"
#include "platform/phrase_list.h"

namespace fs = std::filesystem;

namespace velkor {
namespace {

using platform::Variant;
using Hits = std::vector<std::optional<std::string>>;

fs::path BinFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

std::string ReadAll(const fs::path& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

void WriteAll(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string Utf16Le(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// Whether every process of this name is gone within five seconds.
bool AllEnded(const std::string& exeName) {
  for (const ULONGLONG end = GetTickCount64() + 5000; GetTickCount64() < end; Sleep(50)) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int running = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
      running += _stricmp(entry.szExeFile, exeName.c_str()) == 0;
    CloseHandle(snapshot);
    if (running == 0) return true;
  }
  return false;
}

// The phrases as every caller passes them.
Variant PhraseArray(const PhraseList& phrases) {
  Variant array;
  platform::StorePhraseList(phrases, array);
  return array;
}

class NexParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              (std::string("nexparser-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    fs::create_directories(folder_ / "lib");
    fs::copy_file(BinFolder() / "NexParser.dll", folder_ / "lib" / "NexParser.dll");
    library_ = platform::LoadModule((folder_ / "lib" / "NexParser.dll").string());
    execute_ = platform::ModuleExport<NexExecuteFn>(library_, kNexExecuteExport);
    parse_ = platform::ModuleExport<NexParseFileFn>(library_, kNexParseFileExport);
    ASSERT_TRUE(execute_ != nullptr && parse_ != nullptr);
    GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
  }

  void TearDown() override {
    SetCurrentDirectoryW(savedDirectory_);
    library_ = {};
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Copies the fake tool into `dir` as `exeName`, with a faketool.ini naming
  // `scenario` and carrying `settings` (more INI text).
  std::string InstallTool(const fs::path& dir, const std::string& exeName, const fs::path& scenario,
                          const std::string& settings = "") {
    fs::create_directories(dir);
    fs::copy_file(BinFolder() / "faketool.exe", dir / exeName, fs::copy_options::overwrite_existing);
    WriteAll(dir / "faketool.ini",
             "[faketool]\r\nScenarioDir=" + scenario.string() + "\r\nHostName=DC01\r\n" + settings);
    return (dir / exeName).string();
  }

  // Runs `command` with the arguments every caller passes; the error text,
  // "" on success.
  std::string Execute(const std::string& command, const std::string& parameters, const fs::path& output,
                      Variant* reuse = nullptr) {
    Variant fresh;
    Variant& result = reuse != nullptr ? *reuse : fresh;
    Variant commandArg(command), parametersArg(parameters), yes("yes"), none(""), one("1"), two("2");
    Variant outputArg(output.string()), no("no");
    const int returned = execute_(commandArg.get(), parametersArg.get(), yes.get(), none.get(), one.get(),
                                  two.get(), outputArg.get(), no.get(), result.get());
    EXPECT_EQ(returned != 0, result.IsEmpty()) << command;
    return result.ToAnsi();
  }

  // The hits of searching `file`, none when the hits argument is no array.
  Hits Search(const fs::path& file, Variant& phrases, const std::string& expectedError = "") {
    Variant path(file.string()), hits, result;
    const int returned = parse_(path.get(), phrases.get(), hits.get(), result.get());
    EXPECT_EQ(returned != 0, result.IsEmpty());
    EXPECT_EQ(result.ToAnsi(), expectedError) << file;
    return platform::ReadPhraseList(hits);
  }

  fs::path folder_;
  platform::Module library_;
  NexExecuteFn execute_ = nullptr;
  NexParseFileFn parse_ = nullptr;
  wchar_t savedDirectory_[MAX_PATH] = {};
};

// The result argument is reused across calls, as callers do.
TEST_F(NexParserTest, RunsAToolIntoARecreatedFileOrGivesTheWindowsErrorCode) {
  WriteAll(folder_ / "scenario" / "dcdiag.txt", "  Testing server: @HOST@\n  passed test Connectivity\n");
  const std::string tool = InstallTool(folder_ / "Support Tools", "dcdiag.exe", folder_ / "scenario",
                                       "[dcdiag]\r\nStderr=on standard error\r\nExitCode=3\r\n");
  Variant result;
  EXPECT_EQ(Execute("velkor-no-such-tool.exe", "", folder_ / "out.txt", &result), "2");
  EXPECT_EQ(Execute(tool, "", folder_ / "no such folder" / "out.txt", &result), "3");
  EXPECT_EQ(Execute("", "", folder_ / "out.txt", &result), "87");
  WriteAll(folder_ / "out.txt", std::string(500, 'x') + "\r\nfailed test Connectivity\r\n");

  EXPECT_EQ(Execute(tool, "", folder_ / "out.txt", &result), "");
  EXPECT_EQ(ReadAll(folder_ / "out.txt"),
            "  Testing server: DC01\r\n  passed test Connectivity\r\non standard error\r\n");
}

// A tool past the time limit is ended with the process it started; output past
// the cap fails and keeps the first megabyte, whether the tool ends by itself
// after flooding or is still running.
TEST_F(NexParserTest, ToolsPastTheTimeLimitOrTheOutputCapAreEnded) {
  const struct {
    const char* timeoutSeconds;
    std::string exe, settings, code;
    std::uintmax_t outputSize;
  } cases[] = {
      {"1", "sleepy", "ChildSleepMs=60000\r\nSleepMs=60000", "1460", 0},
      {"60", "flood", "FloodBytes=3000000\r\nSleepMs=0", "223", 1024 * 1024},
      {"60", "flood", "FloodBytes=3000000\r\nSleepMs=60000", "223", 1024 * 1024},
  };
  const std::string ini = (folder_ / "lib" / "NexParser.ini").string();
  WritePrivateProfileStringA("Execute", "MaxOutputMegabytes", "1", ini.c_str());
  for (const auto& c : cases) {
    WritePrivateProfileStringA("Execute", "TimeoutSeconds", c.timeoutSeconds, ini.c_str());
    const std::string tool = InstallTool(folder_ / "tools", c.exe + ".exe", folder_,
                                         "[" + c.exe + "]\r\nOutput=0\r\n" + c.settings);
    const ULONGLONG start = GetTickCount64();

    EXPECT_EQ(Execute(tool, "", folder_ / "out.txt"), c.code) << c.settings;
    EXPECT_LT(GetTickCount64() - start, 8000u) << c.settings;
    EXPECT_EQ(fs::file_size(folder_ / "out.txt"), c.outputSize) << c.settings;
    EXPECT_TRUE(AllEnded(c.exe + ".exe")) << c.settings;
  }
}

// Wine has a net.exe of its own in its system folder; a fake one in the
// current folder, where the agent starts Velkor, must win.
TEST_F(NexParserTest, FakeNetInTheCurrentFolderWinsOverWines) {
  WriteAll(folder_ / "scenario" / "net.txt", "NETLOGON     C:\\x\n");
  InstallTool(folder_ / "current", "net.exe", folder_ / "scenario");
  ASSERT_TRUE(SetCurrentDirectoryW((folder_ / "current").c_str()));

  EXPECT_EQ(Execute("net", " share", folder_ / "out.txt"), "");
  EXPECT_EQ(ReadAll(folder_ / "out.txt"), "NETLOGON     C:\\x\r\n");
}

// The fake tool picks the report for its arguments, falls back along the
// scenario's bases and puts the host name in; the search finds what it shows.
TEST_F(NexParserTest, RecordedReportsThroughTheFakeTools) {
  const char* source = std::getenv("VELKOR_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const fs::path scenarios = fs::path("Z:" + std::string(source) + "/sandbox/scenarios");
  const char* domainPolicy = " /gpo:{31B2F340-016D-11D2-945F-00C04FB984F9}";
  const char* controllersPolicy = "  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}";
  const struct {
    const char *scenario, *exe, *parameters;
    PhraseList phrases;
    Hits hits;
  } cases[] = {
      {"gpo_version_mismatch", "gpotool.exe", domainPolicy, {"Policy OK"}, {"1"}},
      {"gpo_version_mismatch", "gpotool.exe", controllersPolicy, {"Policy OK"}, {"0"}},
      {"replication_10_failures", "repadmin.exe", " /showreps", {"10 CONSECUTIVE FAILURES"}, {"1"}},
      {"replication_10_failures", "dcdiag.exe", "", {"A recent replication attempt failed:"}, {"1"}},
      {"not_pdc", "netdom.exe", "query fsmo", {"PDC role * DC02.", "Schema owner * DC01.corp"}, {"1", "1"}},
  };
  for (const auto& c : cases) {
    const std::string tool = InstallTool(folder_ / "tools", c.exe, (scenarios / c.scenario).make_preferred());
    ASSERT_EQ(Execute(tool, c.parameters, folder_ / "output.txt"), "") << c.scenario << " " << c.exe;
    Variant phrases = PhraseArray(c.phrases);
    EXPECT_EQ(Search(folder_ / "output.txt", phrases), c.hits) << c.scenario << " " << c.exe;
  }
}

// The matching rules themselves are unit-tested; here the file's encoding.
TEST_F(NexParserTest, SearchesReportsLineByLineInTheirEncoding) {
  const std::string greeting = platform::WideToAnsi(L"gr\u00FC\u00DFe");
  const struct {
    std::string content;
    PhraseList phrases;
    Hits hits;
  } cases[] = {
      {"Policy ok\r\nx\n  DNS test : Failed",
       {"Policy OK", "Policy OK ", "dns test : failed", "ok*x"},
       {"1", "0", "1", "0"}},
      {"", {"*", "x"}, {"0", "0"}},
      {"\xFF\xFE" + Utf16Le(L"Gr\u00FC\u00DFe\r\nNETLOGON  C:\\x\r\n"),
       {"Netlogon", greeting, "netlogon  c:\\X"},
       {"1", "1", "1"}},
      {Utf16Le(L"NETLOGON\r\n"), {"Netlogon"}, {"0"}},  // no mark: bytes
      {platform::WideToAnsi(L"Gr\u00FC\u00DFe\r\n"), {greeting}, {"1"}},
  };
  for (const auto& c : cases) {
    WriteAll(folder_ / "report.txt", c.content);
    Variant phrases = PhraseArray(c.phrases);
    EXPECT_EQ(Search(folder_ / "report.txt", phrases), c.hits) << c.content;
  }
}

// One hit per element, whatever it holds (empty, a number), the caller's
// array left as it was; a file that cannot be read gives its code and no hits.
TEST_F(NexParserTest, SearchGivesOneHitPerElementOrTheWindowsErrorCode) {
  WriteAll(folder_ / "report.txt", "Policy OK\r\n7\r\n");
  Variant phrases = PhraseArray({"Policy OK", "", "absent"});
  platform::PutVariantElement(phrases.get()->parray, 2, Variant(7L));
  EXPECT_EQ(Search(folder_ / "report.txt", phrases), (Hits{"1", "0", "0"}));
  EXPECT_EQ(platform::ReadPhraseList(phrases), (Hits{"Policy OK", std::nullopt, "7"}));
  Variant none = PhraseArray({});
  EXPECT_EQ(Search(folder_ / "report.txt", none), Hits{});

  EXPECT_EQ(Search(folder_ / "absent.txt", phrases, "2"), Hits{});
  HANDLE lock = CreateFileW((folder_ / "report.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(Search(folder_ / "report.txt", phrases, "32"), Hits{});
  CloseHandle(lock);
}

// A 64 MB report that is one single line: searched without holding the file
// or the line in memory.
TEST_F(NexParserTest, SearchesAHugeOneLineFileInBoundedMemory) {
  {
    std::ofstream out(folder_ / "huge.txt", std::ios::binary);
    const std::string block(1024 * 1024, 'x');
    for (int i = 0; i < 64; ++i) out << block;
    out << " needle";
  }
  PROCESS_MEMORY_COUNTERS before{}, after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
  Variant phrases = PhraseArray({"needle", "x*NEEDLE", "absent", "x*absent"});

  EXPECT_EQ(Search(folder_ / "huge.txt", phrases), (Hits{"1", "1", "0", "0"}));
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
  EXPECT_LT(after.PeakWorkingSetSize, before.PeakWorkingSetSize + 16 * 1024 * 1024);
}

}  // namespace
}  // namespace velkor
