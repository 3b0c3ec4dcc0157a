// NexParser.dll under Wine: running fake tools into output files, the time
// and size limits, where a bare tool name is found, and searching reports.
// Each test loads its own copy of the library from a private folder, so that
// a NexParser.ini written beside it concerns that test alone.
#include <windows.h>
// windows.h first: the headers below rely on its types.
#include <gtest/gtest.h>
#include <oleauto.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/nexparser_api.h"

namespace fs = std::filesystem;

namespace {

fs::path BinFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

// The source tree as Wine sees it (Unix paths through drive Z:).
fs::path SourceFolder() {
  wchar_t value[4096] = {};
  const DWORD n = GetEnvironmentVariableW(L"VELKOR_SOURCE_DIR", value, 4096);
  std::wstring path(value, n < 4096 ? n : 0);
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  return fs::path(path).make_preferred();
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteAll(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string Utf16Le(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string Ansi(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), n, nullptr,
                      nullptr);
  return ansi;
}

int CountProcesses(const std::wstring& exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, exeName.c_str()) == 0) ++count;
  CloseHandle(snapshot);
  return count;
}

// Polls `condition` for up to `ms` milliseconds.
bool Eventually(const std::function<bool()>& condition, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!condition()) {
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
  return true;
}

// A VARIANT that clears itself.
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  explicit Var(const std::wstring& text) {
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  ~Var() { VariantClear(&v); }
  std::wstring Text() const {
    return V_VT(&v) == VT_BSTR ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"";
  }
};

// A phrase array as the callers build it: VT_ARRAY | VT_VARIANT, lower bound 0.
struct PhraseArray : Var {
  explicit PhraseArray(const std::vector<std::wstring>& phrases) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(phrases.size()));
    for (LONG i = 0; i < static_cast<LONG>(phrases.size()); ++i) {
      Var element(phrases[i]);
      SafeArrayPutElement(array, &i, &element.v);
    }
    V_VT(&v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v) = array;
  }
  std::vector<std::wstring> Elements() const { return Texts(V_ARRAY(&v)); }
  static std::vector<std::wstring> Texts(SAFEARRAY* array) {
    std::vector<std::wstring> texts;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
      Var element;
      SafeArrayGetElement(array, &i, &element.v);
      texts.push_back(V_VT(&element.v) == VT_BSTR ? element.Text() : L"<not text>");
    }
    return texts;
  }
};

struct Outcome {
  int returned;
  std::wstring error;  // empty when the result stayed VT_EMPTY
  bool resultEmpty;
};

class NexParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("nexparser-") + info->name());
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    fs::create_directories(folder_ / "lib");
    fs::copy_file(BinFolder() / "NexParser.dll", folder_ / "lib" / "NexParser.dll");
    library_ = LoadLibraryW((folder_ / "lib" / "NexParser.dll").c_str());
    ASSERT_NE(library_, nullptr);
    execute_ = Export<velkor::NexExecuteFn>(velkor::kNexExecuteExport);
    parse_ = Export<velkor::NexParseFileFn>(velkor::kNexParseFileExport);
    ASSERT_NE(execute_, nullptr);
    ASSERT_NE(parse_, nullptr);
    GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
  }

  void TearDown() override {
    SetCurrentDirectoryW(savedDirectory_);
    if (library_ != nullptr) FreeLibrary(library_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  template <class Fn>
  Fn Export(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library_, name)));
  }

  void SetLimits(int timeoutSeconds, int maxOutputMegabytes) {
    const std::wstring ini = (folder_ / "lib" / "NexParser.ini").wstring();
    WritePrivateProfileStringW(L"Execute", L"TimeoutSeconds", std::to_wstring(timeoutSeconds).c_str(),
                               ini.c_str());
    WritePrivateProfileStringW(L"Execute", L"MaxOutputMegabytes", std::to_wstring(maxOutputMegabytes).c_str(),
                               ini.c_str());
  }

  // Copies the fake tool into `dir` as `exeName`, with a faketool.ini naming
  // `scenario` and carrying `settings` (more INI text).
  fs::path InstallTool(const fs::path& dir, const std::string& exeName, const fs::path& scenario,
                       const std::string& settings = "") {
    fs::create_directories(dir);
    fs::copy_file(BinFolder() / "faketool.exe", dir / exeName, fs::copy_options::overwrite_existing);
    WriteAll(dir / "faketool.ini",
             "[faketool]\r\nScenarioDir=" + scenario.string() + "\r\nHostName=DC01\r\n" + settings);
    return dir / exeName;
  }

  Outcome Execute(const std::wstring& command, const std::wstring& parameters, const fs::path& output,
                  Var* reuse = nullptr) {
    Var commandArg(command), parametersArg(parameters), yes(L"yes"), none(L""), one(L"1"), two(L"2");
    Var outputArg(output.wstring()), no(L"no"), fresh;
    Var& result = reuse != nullptr ? *reuse : fresh;
    const int returned = execute_(&commandArg.v, &parametersArg.v, &yes.v, &none.v, &one.v, &two.v,
                                  &outputArg.v, &no.v, &result.v);
    return {returned, result.Text(), V_VT(&result.v) == VT_EMPTY};
  }

  struct SearchOutcome {
    int returned;
    std::wstring error;
    std::vector<std::wstring> hits;
    bool hitsEmpty;
  };
  SearchOutcome Search(const fs::path& file, PhraseArray& phrases) {
    Var path(file.wstring()), hits, result;
    const int returned = parse_(&path.v, &phrases.v, &hits.v, &result.v);
    SearchOutcome outcome{returned, result.Text(), {}, V_VT(&hits.v) == VT_EMPTY};
    if (V_VT(&hits.v) == (VT_ARRAY | VT_VARIANT)) {
      LONG lower = -1;
      SafeArrayGetLBound(V_ARRAY(&hits.v), 1, &lower);
      EXPECT_EQ(lower, 0);
      outcome.hits = PhraseArray::Texts(V_ARRAY(&hits.v));
    }
    return outcome;
  }
  std::vector<std::wstring> Hits(const std::string& content, const std::vector<std::wstring>& phrases) {
    WriteAll(folder_ / "report.txt", content);
    PhraseArray array(phrases);
    const SearchOutcome outcome = Search(folder_ / "report.txt", array);
    EXPECT_NE(outcome.returned, 0);
    EXPECT_EQ(outcome.error, L"");
    return outcome.hits;
  }

  fs::path folder_;
  HMODULE library_ = nullptr;
  velkor::NexExecuteFn execute_ = nullptr;
  velkor::NexParseFileFn parse_ = nullptr;
  wchar_t savedDirectory_[MAX_PATH] = {};
};

TEST_F(NexParserTest, RunsAToolByFullPathWithOutputAndErrorsIntoARecreatedFile) {
  const fs::path scenario = folder_ / "scenario";
  WriteAll(scenario / "dcdiag.txt",
           "   Testing server: Default-First-Site-Name\\@HOST@\n      passed test Connectivity\n");
  const fs::path tool = InstallTool(folder_ / "Support Tools", "dcdiag.exe", scenario,
                                    "[dcdiag]\r\nStderr=written to standard error\r\nExitCode=3\r\n");
  const fs::path output = folder_ / "VelkorTemp_DCDiag.txt";
  WriteAll(output, std::string(500, 'x') + "\r\nfailed test Connectivity\r\n");

  const Outcome outcome = Execute(tool.wstring(), L"", output);

  EXPECT_NE(outcome.returned, 0);
  EXPECT_TRUE(outcome.resultEmpty) << outcome.error;
  EXPECT_EQ(ReadAll(output),
            "   Testing server: Default-First-Site-Name\\DC01\r\n      passed test Connectivity\r\n"
            "written to standard error\r\n");
}

TEST_F(NexParserTest, MissingToolFailsWithCode2AndEveryCallSetsTheResult) {
  const fs::path scenario = folder_ / "scenario";
  WriteAll(scenario / "dcdiag.txt", "report\n");
  const fs::path tool = InstallTool(folder_ / "tools", "dcdiag.exe", scenario);
  Var result;

  const Outcome missing = Execute(L"velkor-no-such-tool.exe", L"", folder_ / "out.txt", &result);
  EXPECT_EQ(missing.returned, 0);
  EXPECT_EQ(missing.error, L"2");

  const Outcome found = Execute(tool.wstring(), L"", folder_ / "out.txt", &result);
  EXPECT_NE(found.returned, 0);
  EXPECT_TRUE(found.resultEmpty);
}

TEST_F(NexParserTest, BadArgumentsFailWithTheirCodes) {
  const fs::path scenario = folder_ / "scenario";
  WriteAll(scenario / "dcdiag.txt", "report\n");
  const fs::path tool = InstallTool(folder_ / "tools", "dcdiag.exe", scenario);

  const Outcome noFolder = Execute(tool.wstring(), L"", folder_ / "no such folder" / "out.txt");
  EXPECT_EQ(noFolder.returned, 0);
  EXPECT_EQ(noFolder.error, L"3");

  const Outcome noCommand = Execute(L"", L"", folder_ / "out.txt");
  EXPECT_EQ(noCommand.returned, 0);
  EXPECT_EQ(noCommand.error, L"87");
}

TEST_F(NexParserTest, ToolPastTheTimeLimitIsEndedWithTheProcessItStarted) {
  SetLimits(1, 64);
  const fs::path tool = InstallTool(folder_ / "tools", "sleepy.exe", folder_,
                                    "[sleepy]\r\nOutput=0\r\nChildSleepMs=60000\r\nSleepMs=60000\r\n");
  const ULONGLONG start = GetTickCount64();

  const Outcome outcome = Execute(tool.wstring(), L"", folder_ / "out.txt");

  EXPECT_EQ(outcome.returned, 0);
  EXPECT_EQ(outcome.error, L"1460");
  EXPECT_LT(GetTickCount64() - start, 8000u);
  EXPECT_TRUE(Eventually([] { return CountProcesses(L"sleepy.exe") == 0; }, 5000))
      << CountProcesses(L"sleepy.exe") << " still running";
}

TEST_F(NexParserTest, OutputPastTheCapFailsAndKeepsTheFirstMegabyte) {
  SetLimits(60, 1);
  for (const char* sleep : {"0", "60000"}) {
    const fs::path tool =
        InstallTool(folder_ / "tools", "flood.exe", folder_,
                    std::string("[flood]\r\nOutput=0\r\nFloodBytes=3000000\r\nSleepMs=") + sleep);
    const ULONGLONG start = GetTickCount64();

    const Outcome outcome = Execute(tool.wstring(), L"", folder_ / "out.txt");

    EXPECT_EQ(outcome.returned, 0) << sleep;
    EXPECT_EQ(outcome.error, L"223") << sleep;
    EXPECT_EQ(fs::file_size(folder_ / "out.txt"), 1024u * 1024u) << sleep;
    EXPECT_LT(GetTickCount64() - start, 10000u) << sleep;
    EXPECT_TRUE(Eventually([] { return CountProcesses(L"flood.exe") == 0; }, 5000));
  }
}

// Wine has a net.exe of its own in its system folder; a fake one must win.
TEST_F(NexParserTest, FakeNetInTheCurrentFolderWinsOverTheSystemOne) {
  const fs::path scenario = folder_ / "scenario";
  WriteAll(scenario / "net.txt", "NETLOGON     C:\\x\nSYSVOL       C:\\y\n");
  InstallTool(folder_ / "current", "net.exe", scenario);
  ASSERT_TRUE(SetCurrentDirectoryW((folder_ / "current").c_str()));

  EXPECT_NE(Execute(L"net", L" share", folder_ / "out.txt").returned, 0);
  EXPECT_EQ(ReadAll(folder_ / "out.txt"), "NETLOGON     C:\\x\r\nSYSVOL       C:\\y\r\n");
}

TEST_F(NexParserTest, FakeNetInTheApplicationFolderWinsOverTheSystemOne) {
  const fs::path scenario = folder_ / "scenario";
  WriteAll(scenario / "net.txt", "NETLOGON     C:\\x\n");
  const fs::path bin = BinFolder();
  InstallTool(bin, "net.exe", scenario);
  struct Cleanup {
    fs::path bin;
    ~Cleanup() {
      std::error_code ignored;
      fs::remove(bin / "net.exe", ignored);
      fs::remove(bin / "faketool.ini", ignored);
    }
  } cleanup{bin};
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));

  EXPECT_NE(Execute(L"net", L" share", folder_ / "out.txt").returned, 0);
  EXPECT_EQ(ReadAll(folder_ / "out.txt"), "NETLOGON     C:\\x\r\n");
}

TEST_F(NexParserTest, ToolsAreFoundOnThePath) {
  const fs::path scenario = folder_ / "scenario";
  WriteAll(scenario / "repadmin.txt", "Default-First-Site-Name\\DC01\n");
  InstallTool(folder_ / "on path", "repadmin.exe", scenario);
  wchar_t saved[32767] = {};
  GetEnvironmentVariableW(L"PATH", saved, 32767);
  SetEnvironmentVariableW(L"PATH", ((folder_ / "on path").wstring() + L";" + saved).c_str());

  const Outcome outcome = Execute(L"repadmin", L" /showreps", folder_ / "out.txt");

  SetEnvironmentVariableW(L"PATH", saved);
  EXPECT_NE(outcome.returned, 0) << outcome.error;
  EXPECT_EQ(ReadAll(folder_ / "out.txt"), "Default-First-Site-Name\\DC01\r\n");
}

// The recorded reports through the fake tools, run as Velkor runs them; a
// scenario without a report of its own falls back to the one it builds on.
TEST_F(NexParserTest, RecordedReportsThroughTheFakeTools) {
  const fs::path scenarios = SourceFolder() / "sandbox" / "scenarios";
  const std::wstring domainPolicy = L" /gpo:{31B2F340-016D-11D2-945F-00C04FB984F9}";
  const std::wstring controllersPolicy = L"  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}";
  struct Case {
    const char* scenario;
    const char* exe;
    std::wstring command, parameters;
    std::vector<std::wstring> phrases, hits;
  } cases[] = {
      {"healthy", "net.exe", L"net", L" share", {L"Netlogon", L"Sysvol"}, {L"1", L"1"}},
      {"sysvol_missing", "net.exe", L"net", L" share", {L"Netlogon", L"Sysvol"}, {L"0", L"0"}},
      {"gpo_version_mismatch", "gpotool.exe", L"gpotool.exe", domainPolicy, {L"Policy OK"}, {L"1"}},
      {"gpo_version_mismatch", "gpotool.exe", L"gpotool.exe", controllersPolicy, {L"Policy OK"}, {L"0"}},
      {"replication_10_failures",
       "repadmin.exe",
       L"repadmin",
       L" /showreps",
       {L"10 CONSECUTIVE FAILURES"},
       {L"1"}},
      {"replication_10_failures",
       "dcdiag.exe",
       L"dcdiag.exe",
       L"",
       {L"A recent replication attempt failed:"},
       {L"1"}},
      {"not_pdc",
       "netdom.exe",
       L"netdom",
       L"query fsmo",
       {L"PDC role * DC02.", L"PDC role * DC01."},
       {L"1", L"0"}},
      {"healthy", "netdom.exe", L"netdom", L"query fsmo", {L"PDC role * DC01.corp.example.com"}, {L"1"}},
  };
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  for (const Case& c : cases) {
    InstallTool(folder_ / "current", c.exe, scenarios / c.scenario);
    ASSERT_TRUE(SetCurrentDirectoryW((folder_ / "current").c_str()));
    const Outcome run = Execute(c.command, c.parameters, folder_ / "output.txt");
    ASSERT_NE(run.returned, 0) << c.scenario << " " << c.exe << ": " << run.error;
    PhraseArray phrases(c.phrases);
    EXPECT_EQ(Search(folder_ / "output.txt", phrases).hits, c.hits) << c.scenario << " " << c.exe;
  }
}

TEST_F(NexParserTest, SearchesReportsLineByLine) {
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::wstring> phrases;
    std::vector<std::wstring> hits;
  } cases[] = {
      {"case and CRLF", "Policy ok\r\n", {L"Policy OK", L"Policies OK"}, {L"1", L"0"}},
      {"blanks and dot leaders, last line without break",
       "x\n    DNS test . . . . . . . . . . . . . : Failed",
       {L"DNS test . . . . . . . . . . . . . : Failed", L"DNS test  . . . . . . . . . . . . : Failed",
        L"DNS test . . . . . . . . . . . . . : Failed "},
       {L"1", L"0", L"0"}},
      {"stars",
       "         The host 1b.corp could not be resolved to an\n         IP address.\n",
       {L"The host * could not be resolved to an", L"*be resolved to an", L"The host*",
        L"could not*IP address"},
       {L"1", L"1", L"1", L"0"}},
      {"empty file", "", {L"*", L"x"}, {L"0", L"0"}},
      {"long line",
       std::string(10000, '.') + " failed test NetLogons " + std::string(10000, '.') + "\n",
       {L"failed test NetLogons", L"...*NetLogons*...", L"failed test Services"},
       {L"1", L"1", L"0"}},
      {"UTF-16LE with its mark",
       "\xFF\xFE" + Utf16Le(L"Gr\u00FC\u00DFe\r\nNETLOGON  C:\\x\r\n"),
       {L"Netlogon", L"Gr\u00FC\u00DFe", L"netlogon  c:\\X"},
       {L"1", L"1", L"1"}},
      {"UTF-16LE without a mark is bytes", Utf16Le(L"NETLOGON\r\n"), {L"Netlogon"}, {L"0"}},
      {"system code page", Ansi(L"Gr\u00FC\u00DFe\r\n"), {L"gr\u00FC\u00DFe"}, {L"1"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Hits(c.content, c.phrases), c.hits) << c.name;
}

TEST_F(NexParserTest, SearchLeavesThePhrasesAndGivesOneHitPerElement) {
  WriteAll(folder_ / "report.txt", "Policy OK\r\n");
  PhraseArray phrases({L"Policy OK", L"", L"absent"});
  LONG index = 1;
  Var number;
  V_VT(&number.v) = VT_I4;
  V_I4(&number.v) = 7;
  SafeArrayPutElement(V_ARRAY(&phrases.v), &index, &number.v);

  const SearchOutcome outcome = Search(folder_ / "report.txt", phrases);

  EXPECT_NE(outcome.returned, 0);
  EXPECT_EQ(outcome.hits, (std::vector<std::wstring>{L"1", L"0", L"0"}));
  EXPECT_EQ(phrases.Elements(), (std::vector<std::wstring>{L"Policy OK", L"<not text>", L"absent"}));
  PhraseArray none({});
  EXPECT_EQ(Search(folder_ / "report.txt", none).hits, std::vector<std::wstring>{});
}

TEST_F(NexParserTest, SearchOfAMissingOrLockedFileFailsWithItsCode) {
  PhraseArray phrases({L"x"});
  const SearchOutcome missing = Search(folder_ / "absent.txt", phrases);
  EXPECT_EQ(missing.returned, 0);
  EXPECT_EQ(missing.error, L"2");
  EXPECT_TRUE(missing.hitsEmpty);

  WriteAll(folder_ / "locked.txt", "x\n");
  HANDLE lock = CreateFileW((folder_ / "locked.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const SearchOutcome locked = Search(folder_ / "locked.txt", phrases);
  CloseHandle(lock);
  EXPECT_EQ(locked.returned, 0);
  EXPECT_EQ(locked.error, L"32");
}

// A 200 MB report that is one single line: searched in seconds, without
// holding the file or the line in memory.
TEST_F(NexParserTest, SearchesAHugeOneLineFileInBoundedMemory) {
  const fs::path file = folder_ / "huge.txt";
  {
    std::ofstream out(file, std::ios::binary);
    const std::string block(1024 * 1024, 'x');
    for (int i = 0; i < 200; ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
    out << " needle";
  }
  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
  const ULONGLONG start = GetTickCount64();
  PhraseArray phrases({L"needle", L"x*NEEDLE", L"absent", L"x*absent"});

  const SearchOutcome outcome = Search(file, phrases);

  const ULONGLONG elapsed = GetTickCount64() - start;
  PROCESS_MEMORY_COUNTERS after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
  EXPECT_EQ(outcome.hits, (std::vector<std::wstring>{L"1", L"1", L"0", L"0"}));
  EXPECT_LT(elapsed, 10000u);
  EXPECT_LT(after.PeakWorkingSetSize, before.PeakWorkingSetSize + 16 * 1024 * 1024);
  std::cout << "searched 200 MB in " << elapsed << " ms\n";
}

}  // namespace
