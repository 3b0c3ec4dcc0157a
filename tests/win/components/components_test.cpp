// What only Windows shows of the shipped binaries and the stand-in
// components: the version resource that Properties displays, the program's
// manifest, the exports' calling conventions, the parser library's tool runs
// and files of either encoding, and a database replaced once another program
// lets go of it. The phrase rules and the storage are unit-tested and fuzzed;
// the components as Velkor calls them are run end to end.
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
using ::testing::HasSubstr;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

// The stack pointer where this is written; on 64-bit Windows, where one
// convention serves every call, always 0.
#if defined(__i386__)
#define STACK_POINTER(out) asm volatile("movl %%esp, %0" : "=r"(out) : : "memory")
#else
#define STACK_POINTER(out) ((out) = 0)
#endif

// "a.b.c.d" of a version's two 32-bit halves.
std::string Dotted(DWORD high, DWORD low) {
  return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
         std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

TEST(ShippedBinaries, EachCarriesItsVersionAndDescription) {
  std::vector<std::string> names;
  std::istringstream list(VELKOR_SHIPPED_BINARIES);
  for (std::string name; std::getline(list, name, ',');) names.push_back(name);
  ASSERT_THAT(names, ::testing::IsSupersetOf({"Velkor.exe", "TalLogger.dll", "NexParser.dll"}));
  const std::string version = std::string(VELKOR_VERSION) + ".0";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string path = BinFolder() + name;
    DWORD ignored = 0;
    std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    // A value of the resource; for a text, of the US English, Unicode block.
    const auto value = [&](const std::string& query) -> const void* {
      void* found = nullptr;
      UINT length = 0;
      return VerQueryValueA(data.data(), query.c_str(), &found, &length) && length > 0 ? found : nullptr;
    };
    const auto text = [&](const std::string& key) {
      const void* found = value("\\StringFileInfo\\040904B0\\" + key);
      return found != nullptr ? std::string(static_cast<const char*>(found)) : std::string();
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value("\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), version);
    EXPECT_EQ(fixed->dwFileType, name.ends_with(".exe") ? DWORD{VFT_APP} : DWORD{VFT_DLL});
    EXPECT_EQ(text("FileVersion"), version);
    EXPECT_EQ(text("OriginalFilename"), name);
    EXPECT_FALSE(text("FileDescription").empty());
  }
}

// The manifest the program is created with: it runs with the rights of
// whoever starts it, without asking for more.
TEST(ShippedBinaries, ProgramCarriesItsManifestAndRunsAsInvoker) {
  const platform::Module program(
      LoadLibraryExA((BinFolder() + "Velkor.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(program);
  // Resource 1 of type 24: the manifest a process is created with.
  const HRSRC found = FindResourceA(program.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  const HGLOBAL loaded = found != nullptr ? LoadResource(program.get(), found) : nullptr;
  ASSERT_NE(loaded, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(loaded)),
                             SizeofResource(program.get(), found));
  EXPECT_THAT(manifest, HasSubstr(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"));
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
  int succeeded = 0;
  int written = -1;
  std::uintptr_t before = 0;
  std::uintptr_t after = 0;
  STACK_POINTER(before);
  for (int i = 0; i < 2000; ++i) {
    succeeded += log(nullptr, "x", 1, nullptr, 2, &written);
    succeeded +=
        execute(a.get(), b.get(), c.get(), d.get(), e.get(), f.get(), g.get(), h.get(), result.get());
    succeeded += parse(a.get(), b.get(), c.get(), result.get());
  }
  STACK_POINTER(after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(succeeded, 0);
  EXPECT_EQ(written, 0);
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
// unquoted, would start Support.exe. Output past the cap fails and keeps the
// first bytes, and the tool still running is ended. (A tool not found, the
// time limit and the library's settings and exports are run end to end.)
TEST(ParserLibrary, RunsAToolIntoARecreatedFileWithinTheOutputCap) {
  const fs::path folder = FreshFolder("velkor-tool-runs");
  const fs::path tools = folder / "Support Tools";
  WriteWholeFile(tools / "faketool.ini",
                 "[faketool]\r\nScenarioDir=" + folder.string() +
                     "\r\n[net]\r\nStderr=on standard error\r\nExitCode=3\r\n"
                     "[flood]\r\nOutput=0\r\nFloodBytes=3000000\r\nSleepMs=60000\r\n");
  WriteWholeFile(folder / "net_share.txt", "NETLOGON     C:\\x\n");
  for (const fs::path& exe : {tools / "net.exe", tools / "flood.exe", folder / "Support.exe"})
    fs::copy_file(BinFolder() + "faketool.exe", exe);
  const fs::path output = folder / "out.txt";
  WriteWholeFile(output, std::string(500, 'x') + "\r\nfailed test Connectivity\r\n");
  const nexparser::ToolLimits limits{60000, 1024 * 1024};
  const auto run = [&](const fs::path& exe, const wchar_t* parameters) {
    return nexparser::RunTool(nexparser::BuildCommandLine(exe.wstring(), parameters), output.c_str(), limits);
  };

  EXPECT_EQ(run(tools / "net.exe", L" share"), 0u);
  EXPECT_EQ(ReadWholeFile(output), "NETLOGON     C:\\x\r\non standard error\r\n");
  EXPECT_EQ(run(tools / "flood.exe", L""), DWORD{ERROR_FILE_TOO_LARGE});
  EXPECT_EQ(fs::file_size(output), limits.maxOutputBytes);
  // Once no process runs it, the tool can be deleted.
  const std::string flood = (tools / "flood.exe").string();
  for (const ULONGLONG end = GetTickCount64() + 5000; !DeleteFileA(flood.c_str()) && GetTickCount64() < end;)
    Sleep(50);
  EXPECT_FALSE(fs::exists(flood));
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
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

}  // namespace
}  // namespace velkor
