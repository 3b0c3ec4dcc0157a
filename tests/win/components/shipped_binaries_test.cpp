// What Windows shows of every shipped binary (the version resource that
// Properties displays, the program's application manifest), and the
// stand-ins' exports found by their plain names and called through the
// program's own declarations many times over. On 32-bit Windows a caller and
// a library that disagree on who removes the arguments from the stack move
// the stack pointer on every call: the loop shows it as a drift (or crashes).
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/library.h"
#include "platform/logger_api.h"
#include "platform/nexparser_api.h"
#include "platform/ole.h"
#include "support/test_files.h"

namespace velkor {
namespace {

using testing::BinFolder;
using ::testing::HasSubstr;

constexpr int kCalls = 2000;

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
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), version);
    EXPECT_EQ(Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), version);
    EXPECT_EQ(fixed->dwFileType, name.ends_with(".exe") ? DWORD{VFT_APP} : DWORD{VFT_DLL});
    EXPECT_EQ(text("FileVersion"), version);
    EXPECT_EQ(text("ProductVersion"), VELKOR_VERSION);
    EXPECT_EQ(text("OriginalFilename"), name);
    EXPECT_EQ(text("ProductName"), "Velkor");
    EXPECT_FALSE(text("FileDescription").empty());
  }
}

TEST(ShippedBinaries, ProgramRunsAsInvokerAndNamesTheSupportedWindowsVersions) {
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
  for (const char* windows : {
           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // 6.0
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 6.1
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 6.2
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 6.3
       })
    EXPECT_THAT(manifest, HasSubstr(std::string("<supportedOS Id=\"") + windows + "\"/>"));
}

// The logger appends each text to the named file, after what it held, in
// the order of the calls.
TEST(ExportConventions, LoggerAppendsInCallOrder) {
  platform::Module library = platform::LoadModule(BinFolder() + kLoggerLibraryName);
  const auto log = platform::ModuleExport<LogDataToDiskFunction>(library, kLoggerExportName);
  ASSERT_NE(log, nullptr);
  const std::string path = BinFolder() + "export-conventions.log";
  testing::WriteWholeFile(path, "before\n");
  std::string expected = "before\n";

  int accepted = 0;
  int written = 0;
  std::uintptr_t before = 0;
  std::uintptr_t after = 0;
  STACK_POINTER(before);
  for (int i = 0; i < kCalls; ++i) {
    const std::string text = std::to_string(i) + "\n";
    accepted += log(path.c_str(), text.c_str(), static_cast<int>(text.size()), nullptr, 2, &written);
    expected += text;
  }
  STACK_POINTER(after);

  EXPECT_EQ(after, before);
  EXPECT_EQ(accepted, kCalls);
  EXPECT_EQ(written, 5);
  library.reset();  // the logger holds its file until it is unloaded
  EXPECT_EQ(testing::ReadWholeFile(path), expected);
  std::filesystem::remove(path);
}

TEST(ExportConventions, ParserEntryPoints) {
  const platform::Module library = platform::LoadModule(BinFolder() + kNexParserLibrary);
  const auto execute = platform::ModuleExport<NexExecuteFn>(library, kNexExecuteExport);
  const auto parse = platform::ModuleExport<NexParseFileFn>(library, kNexParseFileExport);
  ASSERT_TRUE(execute != nullptr && parse != nullptr);
  // Empty arguments: each call fails at once with "87" (invalid parameter) in its result.
  platform::Variant a, b, c, d, e, f, g, h, result;

  int succeeded = 0;
  std::uintptr_t before = 0;
  std::uintptr_t after = 0;
  STACK_POINTER(before);
  for (int i = 0; i < kCalls; ++i) {
    succeeded +=
        execute(a.get(), b.get(), c.get(), d.get(), e.get(), f.get(), g.get(), h.get(), result.get());
    succeeded += parse(a.get(), b.get(), c.get(), result.get());
  }
  STACK_POINTER(after);

  EXPECT_EQ(after, before);
  EXPECT_EQ(succeeded, 0);
  EXPECT_EQ(result.ToAnsi(), "87");
}

}  // namespace
}  // namespace velkor
