// NexParser.dll under Wine: what only the loaded library shows (the phrase
// matching rules are unit-tested). Each test loads its own copy from a private
// folder, so that a NexParser.ini written beside it concerns that test alone.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the headers below rely on its types.
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "classify/tool_descriptors.h"
#include "phrase_search.h"
#include "platform/library.h"
#include "platform/nexparser_api.h"
#include "platform/phrase_list.h"
#include "support/reference_search.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace velkor {
namespace {

using platform::Variant;
using Hits = std::vector<std::optional<std::string>>;

using testing::ReadWholeFile;
using testing::WriteWholeFile;

fs::path BinFolder() { return testing::BinFolder(); }

// Whether `exe` can be deleted within five seconds: never while a process
// runs it.
bool Deletable(const fs::path& exe) {
  for (const ULONGLONG end = GetTickCount64() + 5000; GetTickCount64() < end; Sleep(50))
    if (DeleteFileW(exe.c_str())) return true;
  return false;
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
    WriteWholeFile(dir / "faketool.ini",
                   "[faketool]\r\nScenarioDir=" + scenario.string() + "\r\n" + settings);
    return (dir / exeName).string();
  }

  // Runs `command` with the arguments every caller passes, reusing the result
  // argument as callers do; the error text, "" on success.
  std::string Execute(const std::string& command, const std::string& parameters, const fs::path& output) {
    Variant commandArg(command), parametersArg(parameters), yes("yes"), none(""), one("1"), two("2");
    Variant outputArg(output.string()), no("no");
    const int returned = execute_(commandArg.get(), parametersArg.get(), yes.get(), none.get(), one.get(),
                                  two.get(), outputArg.get(), no.get(), result_.get());
    EXPECT_EQ(returned != 0, result_.IsEmpty()) << command;
    return result_.ToAnsi();
  }

  // The hits of searching `file` for `phrases`, none on failure.
  Hits Search(const fs::path& file, const PhraseList& phrases, const std::string& expectedError = "") {
    Variant path(file.string()), phraseArray, hits;
    platform::StorePhraseList(phrases, phraseArray);
    const int returned = parse_(path.get(), phraseArray.get(), hits.get(), result_.get());
    EXPECT_EQ(returned != 0, result_.IsEmpty());
    EXPECT_EQ(result_.ToAnsi(), expectedError) << file;
    return platform::ReadPhraseList(hits);
  }

  fs::path folder_;
  platform::Module library_;
  NexExecuteFn execute_ = nullptr;
  NexParseFileFn parse_ = nullptr;
  Variant result_;
  wchar_t savedDirectory_[MAX_PATH] = {};
};

// The fake tool finds net_share.txt only when given exactly "share", and the
// path with a blank, left unquoted, would start Support.exe. The output file is
// truncated and takes standard error; a tool's own exit code is no failure. A
// bare name is found in the current folder before Wine's own net.exe.
TEST_F(NexParserTest, RunsAToolIntoARecreatedFileOrGivesTheWindowsErrorCode) {
  WriteWholeFile(folder_ / "scenario" / "net_share.txt", "NETLOGON     C:\\x\n");
  const std::string tool = InstallTool(folder_ / "Support Tools", "net.exe", folder_ / "scenario",
                                       "[net]\r\nStderr=on standard error\r\nExitCode=3\r\n");
  fs::copy_file(BinFolder() / "faketool.exe", folder_ / "Support.exe");
  const std::string expected = "NETLOGON     C:\\x\r\non standard error\r\n";
  ASSERT_TRUE(SetCurrentDirectoryW((folder_ / "Support Tools").c_str()));
  EXPECT_EQ(Execute("velkor-no-such-tool.exe", "", folder_ / "out.txt"), "2");
  WriteWholeFile(folder_ / "out.txt", std::string(500, 'x') + "\r\nfailed test Connectivity\r\n");

  EXPECT_EQ(Execute(tool, " share", folder_ / "out.txt"), "");
  EXPECT_EQ(ReadWholeFile(folder_ / "out.txt"), expected);
  EXPECT_EQ(Execute("net", "share", folder_ / "out.txt"), "");
  EXPECT_EQ(ReadWholeFile(folder_ / "out.txt"), expected);
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
    EXPECT_TRUE(Deletable(tool)) << c.settings;
  }
}

// A report with the UTF-16LE mark is searched in the system code page; a
// missing one gives its code and no hits.
TEST_F(NexParserTest, SearchesUtf16ReportsOrGivesTheWindowsErrorCode) {
  const std::wstring text = L"Gr\u00FC\u00DFe\r\nNETLOGON  C:\\x\r\n";
  WriteWholeFile(folder_ / "report.txt", "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()),
                                                                  text.size() * sizeof(wchar_t)));
  const PhraseList phrases{"netlogon  c:\\X", platform::WideToAnsi(L"gr\u00FC\u00DFe"), "e*NETLOGON"};

  EXPECT_EQ(Search(folder_ / "report.txt", phrases), (Hits{"1", "1", "0"}));
  EXPECT_EQ(Search(folder_ / "absent.txt", phrases, "2"), Hits{});
}

// Recorded reports after a healthy one repeated past several blocks, with
// failure lines across the first two block borders, in the system code page
// and in UTF-16LE: the library finds what the reference search finds.
TEST_F(NexParserTest, FindsWhatTheReferenceFindsAcrossBlocksInEitherEncoding) {
  std::string source = std::getenv("VELKOR_SOURCE_DIR");
  for (char& c : source)
    if (c == '/') c = '\\';
  const fs::path scenarios = "Z:" + source + "\\sandbox\\scenarios";
  const auto crlf = [](const std::string& lf) {
    std::string text;
    for (const char c : lf) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return text;
  };
  const std::string healthy = crlf(ReadWholeFile(scenarios / "healthy" / "dcdiag.txt"));
  // Healthy reports and a line of dots up to `end`, then `line`.
  std::string text;
  const auto fillUpTo = [&](std::size_t end, const std::string& line) {
    while (text.size() + healthy.size() + 2 <= end) text += healthy;
    text += std::string(end - text.size() - 2, '.') + "\r\n" + line;
  };
  fillUpTo(nexparser::kBlockBytes - 12, "DC01 failed test Connectivity\r\n");
  fillUpTo(2 * nexparser::kBlockBytes - 30, "The host DC02 could not be resolved to an IP address.\r\n");
  text += crlf(ReadWholeFile(scenarios / "services_stopped" / "dcdiag.txt")) +
          crlf(ReadWholeFile(scenarios / "replication_failures" / "dcdiag.txt"));
  PhraseList phrases;
  for (const auto& keyword : FullRunTool(DcDiag)->keywords) phrases.emplace_back(keyword.phrase);
  for (const auto& list : tables::SubKeywordLists())
    phrases.insert(phrases.end(), list.phrases.begin(), list.phrases.end());
  Hits expected;
  for (const bool found : nexparser::ReferenceSearch(text, phrases)) expected.emplace_back(found ? "1" : "0");
  ASSERT_GE(std::count(expected.begin(), expected.end(), "1"), 5);

  std::u16string wide;  // the reports are ASCII
  for (const unsigned char c : text) wide.push_back(c);
  WriteWholeFile(folder_ / "ansi.txt", text);
  WriteWholeFile(folder_ / "utf16.txt",
                 "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
  EXPECT_EQ(Search(folder_ / "ansi.txt", phrases), expected);
  EXPECT_EQ(Search(folder_ / "utf16.txt", phrases), expected);
}

// A 64 MB report that is one single line: searched to its end without holding
// the file or the line in memory.
TEST_F(NexParserTest, SearchesAHugeOneLineFileInBoundedMemory) {
  {
    std::ofstream out(folder_ / "huge.txt", std::ios::binary);
    const std::string block(1024 * 1024, 'x');
    for (int i = 0; i < 64; ++i) out << block;
    out << " needle";
  }
  PROCESS_MEMORY_COUNTERS before{}, after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));

  EXPECT_EQ(Search(folder_ / "huge.txt", {"x*NEEDLE", "absent"}), (Hits{"1", "0"}));
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
  EXPECT_LT(after.PeakWorkingSetSize, before.PeakWorkingSetSize + 16 * 1024 * 1024);
}

}  // namespace
}  // namespace velkor
