// NexParser.dll under Wine: what only the loaded library shows (the phrase
// rules are unit-tested and fuzzed). Each test loads its own copy from a
// private folder, so that a NexParser.ini written beside it concerns that
// test alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "phrase_search.h"
#include "platform/library.h"
#include "platform/nexparser_api.h"
#include "platform/phrase_list.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace velkor {
namespace {

using platform::Variant;
using Hits = std::vector<std::optional<std::string>>;
using testing::BinFolder;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

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
    fs::copy_file(BinFolder() + "NexParser.dll", folder_ / "lib" / "NexParser.dll");
    library_ = platform::LoadModule((folder_ / "lib" / "NexParser.dll").string());
    execute_ = platform::ModuleExport<NexExecuteFn>(library_, kNexExecuteExport);
    parse_ = platform::ModuleExport<NexParseFileFn>(library_, kNexParseFileExport);
    ASSERT_TRUE(execute_ != nullptr && parse_ != nullptr);
  }

  void TearDown() override {
    library_ = {};
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Copies the fake tool into `dir` as `exeName`, its scenario this test's
  // folder, with `settings` (more INI text).
  std::string InstallTool(const fs::path& dir, const std::string& exeName, const std::string& settings) {
    fs::create_directories(dir);
    fs::copy_file(BinFolder() + "faketool.exe", dir / exeName, fs::copy_options::overwrite_existing);
    WriteWholeFile(dir / "faketool.ini", "[faketool]\r\nScenarioDir=" + folder_.string() + "\r\n" + settings);
    return (dir / exeName).string();
  }

  // Runs `command` with the arguments every caller passes, reusing the result
  // argument as callers do; the error text, "" on success (VT_EMPTY).
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
};

// Standard output and error go into the output file, which is created or
// truncated; a tool's own exit code is no failure. The fake tool finds
// net_share.txt only when given exactly "share"; the path with a blank, left
// unquoted, would start Support.exe.
TEST_F(NexParserTest, RunsAToolIntoARecreatedFileOrGivesTheWindowsErrorCode) {
  WriteWholeFile(folder_ / "net_share.txt", "NETLOGON     C:\\x\n");
  const std::string tool = InstallTool(folder_ / "Support Tools", "net.exe",
                                       "[net]\r\nStderr=on standard error\r\nExitCode=3\r\n");
  fs::copy_file(BinFolder() + "faketool.exe", folder_ / "Support.exe");
  EXPECT_EQ(Execute("velkor-no-such-tool.exe", "", folder_ / "out.txt"), "2");
  WriteWholeFile(folder_ / "out.txt", std::string(500, 'x') + "\r\nfailed test Connectivity\r\n");

  EXPECT_EQ(Execute(tool, " share", folder_ / "out.txt"), "");
  EXPECT_EQ(ReadWholeFile(folder_ / "out.txt"), "NETLOGON     C:\\x\r\non standard error\r\n");
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
    SCOPED_TRACE(c.settings);
    WritePrivateProfileStringA("Execute", "TimeoutSeconds", c.timeoutSeconds, ini.c_str());
    const std::string tool =
        InstallTool(folder_ / "tools", c.exe + ".exe", "[" + c.exe + "]\r\nOutput=0\r\n" + c.settings);
    const ULONGLONG start = GetTickCount64();

    EXPECT_EQ(Execute(tool, "", folder_ / "out.txt"), c.code);
    EXPECT_LT(GetTickCount64() - start, 8000u);
    EXPECT_EQ(fs::file_size(folder_ / "out.txt"), c.outputSize);
    EXPECT_TRUE(Deletable(tool));
  }
}

// A file is read a block at a time, in the system code page or, after the
// UTF-16LE mark, converted a piece at a time: lines across the first UTF-16
// piece and across the first two blocks are found either way, one "1" or
// "0" a phrase. A missing file gives its code and no hits.
TEST_F(NexParserTest, SearchesFilesOfEitherEncodingAcrossBlocksOrGivesTheWindowsErrorCode) {
  std::wstring text = L"Gr\u00FC\u00DFe\r\n";
  int line = 0;
  for (const std::size_t border : {std::size_t{32767}, nexparser::kBlockBytes, 2 * nexparser::kBlockBytes})
    text += std::wstring(border - 10 - text.size(), L'.') + L"\r\nline " + std::to_wstring(++line) +
            L" failed\r\n";
  const PhraseList phrases{"LINE 1*FAILED", "line 2 failed", "line 3*", "line 4",
                           platform::WideToAnsi(L"gr\u00FC\u00DFe")};
  const Hits expected{"1", "1", "1", "0", "1"};
  WriteWholeFile(folder_ / "ansi.txt", platform::WideToAnsi(text));
  WriteWholeFile(folder_ / "utf16.txt", "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()),
                                                                 text.size() * sizeof(wchar_t)));

  EXPECT_EQ(Search(folder_ / "ansi.txt", phrases), expected);
  EXPECT_EQ(Search(folder_ / "utf16.txt", phrases), expected);
  EXPECT_EQ(Search(folder_ / "absent.txt", phrases, "2"), Hits{});
}

}  // namespace
}  // namespace velkor
