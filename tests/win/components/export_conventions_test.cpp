// Every export of the stand-in libraries, found by its plain name and called
// through the program's own declaration many times over. On 32-bit Windows a
// caller and a library that disagree on who removes the arguments from the
// stack move the stack pointer on every call: the loop shows it as a drift
// (or crashes).
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/library.h"
#include "platform/logger_api.h"
#include "platform/nexparser_api.h"
#include "platform/ole.h"
#include "support/test_files.h"

namespace velkor {
namespace {

using testing::BinFolder;

constexpr int kCalls = 2000;

// The stack pointer where this is written; on 64-bit Windows, where one
// convention serves every call, always 0.
#if defined(__i386__)
#define STACK_POINTER(out) asm volatile("movl %%esp, %0" : "=r"(out) : : "memory")
#else
#define STACK_POINTER(out) ((out) = 0)
#endif

template <class Function>
Function ExportOf(const platform::Module& library, const char* name) {
  const auto function = platform::ModuleExport<Function>(library, name);
  EXPECT_NE(function, nullptr) << name;
  return function;
}

TEST(ExportConventions, LoggerEntryPoint) {
  platform::Module library = platform::LoadModule(BinFolder() + kLoggerLibraryName);
  ASSERT_TRUE(library);
  const auto log = ExportOf<LogDataToDiskFunction>(library, kLoggerExportName);
  ASSERT_NE(log, nullptr);
  const std::string path = BinFolder() + "export-conventions.log";
  std::filesystem::remove(path);

  int accepted = 0;
  int written = 0;
  std::uintptr_t before = 0;
  std::uintptr_t after = 0;
  STACK_POINTER(before);
  for (int i = 0; i < kCalls; ++i) accepted += log(path.c_str(), "ab", 2, nullptr, 2, &written);
  STACK_POINTER(after);

  EXPECT_EQ(after, before);
  EXPECT_EQ(accepted, kCalls);
  EXPECT_EQ(written, 2);
  EXPECT_EQ(std::filesystem::file_size(path), 2u * kCalls);
  library.reset();  // the logger holds its file until it is unloaded
  std::filesystem::remove(path);
}

TEST(ExportConventions, ParserEntryPoints) {
  const platform::Module library = platform::LoadModule(BinFolder() + kNexParserLibrary);
  ASSERT_TRUE(library);
  const auto execute = ExportOf<NexExecuteFn>(library, kNexExecuteExport);
  const auto parse = ExportOf<NexParseFileFn>(library, kNexParseFileExport);
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
