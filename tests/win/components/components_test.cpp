// What only Windows shows of the shipped binaries and the stand-in components:
// their resources, the exports' calling conventions, the parser library's tool
// runs and files of either encoding, and a database replaced once another
// program lets go of it. (The rest is unit-tested, fuzzed or run end to end.)
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "phrase_search.h"
#include "platform/handles.h"
#include "platform/library.h"
#include "platform/logger_api.h"
#include "platform/nexparser_api.h"
#include "platform/ole.h"
#include "run_tool.h"
#include "search_file.h"
#include "support/test_files.h"
#include "tool_command.h"
#include "win_file_access.h"

namespace fs = std::filesystem;

namespace velkor {
namespace {

using platform::Variant;
using testing::BinFolder;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

// The stack pointer where this is written; on 64-bit Windows, where one
// convention serves every call, always 0.
#if defined(__i386__)
#define STACK_POINTER(out) asm volatile("movl %%esp, %0" : "=r"(out) : : "memory")
#else
#define STACK_POINTER(out) ((out) = 0)
#endif

// Each shipped binary has its version resource linked in, as Properties
// shows it (the texts are cmake/version.rc.in's), and the program its
// manifest: without one Windows guesses whether a program installs something
// and may redirect its writes below Program Files.
TEST(ShippedBinaries, CarryTheirVersionResourceAndTheProgramItsManifest) {
  std::vector<std::string> names;
  std::istringstream list(VELKOR_SHIPPED_BINARIES);
  for (std::string name; std::getline(list, name, ',');) names.push_back(name);
  ASSERT_THAT(names, ::testing::IsSupersetOf({"Velkor.exe", "TalLogger.dll", "NexParser.dll"}));
  for (const std::string& name : names) {
    DWORD ignored = 0;
    EXPECT_NE(GetFileVersionInfoSizeA((BinFolder() + name).c_str(), &ignored), 0u) << name;
  }
  const platform::Module program(
      LoadLibraryExA((BinFolder() + "Velkor.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(program);
  // Resource 1 of type 24: the manifest a process is created with.
  EXPECT_NE(FindResourceA(program.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr);
}

// The stand-ins' exports found by their plain names and called through the
// program's own declarations many times over. On 32-bit Windows a caller and
// a library that disagree on who removes the arguments from the stack move
// the stack pointer on every call: the loop shows it as a drift (or crashes).
TEST(ExportConventions, CallsThroughTheProgramsDeclarationsKeepTheStack) {
  const platform::Module logger = platform::LoadModule(BinFolder() + kLoggerLibraryName);
  const platform::Module parser = platform::LoadModule(BinFolder() + kNexParserLibrary);
  const auto log = platform::ModuleExport<LogDataToDiskFunction>(logger, kLoggerExportName);
  const auto execute = platform::ModuleExport<NexExecuteFn>(parser, kNexExecuteExport);
  const auto parse = platform::ModuleExport<NexParseFileFn>(parser, kNexParseFileExport);
  ASSERT_TRUE(log != nullptr && execute != nullptr && parse != nullptr);
  // Calls that fail at once: no file to log to; empty arguments, "87" (invalid parameter) in the result.
  Variant a, b, c, d, e, f, g, h, result;
  int written = -1;
  std::uintptr_t before = 0;
  std::uintptr_t after = 0;
  STACK_POINTER(before);
  for (int i = 0; i < 2000; ++i) {
    log(nullptr, "x", 1, nullptr, 2, &written);
    execute(a.get(), b.get(), c.get(), d.get(), e.get(), f.get(), g.get(), h.get(), result.get());
    parse(a.get(), b.get(), c.get(), result.get());
  }
  STACK_POINTER(after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(written, 0);  // the calls ran
  EXPECT_EQ(result.ToAnsi(), "87");
}

// A folder of the test's own, empty.
fs::path FreshFolder(const std::string& name) {
  const fs::path folder = fs::temp_directory_path() / name;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  return folder;
}

// A tool's standard output and error go into the output file, created or
// truncated; its own exit code is no failure. The fake tool finds
// net_share.txt only when given exactly "share"; its path with a blank, left
// unquoted, would start Support.exe. (A tool not found, the time limit, the
// output cap and the library's settings are run end to end.)
TEST(ParserLibrary, RunsAToolIntoARecreatedFile) {
  const fs::path folder = FreshFolder("velkor-tool-runs");
  const fs::path tools = folder / "Support Tools";
  WriteWholeFile(tools / "faketool.ini", "[faketool]\r\nScenarioDir=" + folder.string() +
                                             "\r\n[net]\r\nStderr=on standard error\r\nExitCode=3\r\n");
  WriteWholeFile(folder / "net_share.txt", "NETLOGON     C:\\x\n");
  for (const fs::path& exe : {tools / "net.exe", folder / "Support.exe"})
    fs::copy_file(BinFolder() + "faketool.exe", exe);
  const fs::path output = folder / "out.txt";
  WriteWholeFile(output, std::string(500, 'x') + "\r\nfailed test Connectivity\r\n");

  EXPECT_EQ(nexparser::RunTool(nexparser::BuildCommandLine((tools / "net.exe").wstring(), L" share"),
                               output.c_str(), nexparser::ToolLimits{60000, 1024 * 1024}),
            0u);
  EXPECT_EQ(ReadWholeFile(output), "NETLOGON     C:\\x\r\non standard error\r\n");
}

// A file is read a block at a time, in the system code page or, after the
// UTF-16LE mark, converted a piece at a time: lines across the first UTF-16
// piece and across the first two blocks are found either way. A missing file
// gives its Windows error code.
TEST(ParserLibrary, SearchesFilesOfEitherEncodingAcrossBlocks) {
  const fs::path folder = FreshFolder("velkor-searches");
  std::wstring text = L"Gr\u00FC\u00DFe\r\n";
  int line = 0;
  for (const std::size_t border : {std::size_t{32767}, nexparser::kBlockBytes, 2 * nexparser::kBlockBytes})
    text += std::wstring(border - 10 - text.size(), L'.') + L"\r\nline " + std::to_wstring(++line) +
            L" failed\r\n";
  const std::vector<std::string> phrases{"line 1 failed", "line 2 failed", "line 3 failed", "line 4",
                                         platform::WideToAnsi(L"gr\u00FC\u00DFe")};
  WriteWholeFile(folder / "ansi.txt", platform::WideToAnsi(text));
  WriteWholeFile(folder / "utf16.txt", "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()),
                                                                text.size() * sizeof(wchar_t)));
  for (const std::string name : {"ansi.txt", "utf16.txt", "absent.txt"}) {
    nexparser::PhraseSearch search(phrases);
    std::string outcome = std::to_string(nexparser::SearchFile((folder / name).c_str(), search)) + " ";
    for (std::size_t i = 0; i < phrases.size(); ++i) outcome += search.Found(i) ? '1' : '0';
    EXPECT_EQ(outcome, name == "absent.txt" ? "2 00000" : "0 11101") << name;
  }
}

// Another program that holds a database for a moment (the agent reading it,
// a backup, a scanner) is waited for: the new file takes its place.
TEST(DatabaseFiles, ReplacementWaitsForAProgramHoldingTheDatabaseForAMoment) {
  const std::string path = (FreshFolder("velkor-held-database") / "dc.tsv").string();
  WriteWholeFile(path, "old");
  WriteWholeFile(path + ".tmp", "new");
  // Held as a scanner holds a file, sharing it with readers only, for a second.
  platform::FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  std::thread release([&] {
    Sleep(1000);
    held.reset();
  });
  const ULONGLONG start = GetTickCount64();
  nexdb::WinFileAccess files;

  EXPECT_NO_THROW(files.Replace(path + ".tmp", path));
  EXPECT_GE(GetTickCount64() - start, 900u);  // it waited
  release.join();
  EXPECT_EQ(ReadWholeFile(path), "new");
}

}  // namespace
}  // namespace velkor
