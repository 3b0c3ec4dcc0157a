// The logger library keeps the file it wrote last open for the next text:
// others can read it meanwhile but not move it away, and a file it cannot
// open is tried again by the next call.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/handles.h"
#include "platform/library.h"
#include "platform/logger_api.h"
#include "support/test_files.h"

namespace velkor {
namespace {

using testing::BinFolder;
using testing::ReadWholeFile;

TEST(Logger, HoldsTheFileItWritesAndTriesAgainAfterAFailure) {
  platform::Module library = platform::LoadModule(BinFolder() + kLoggerLibraryName);
  ASSERT_TRUE(library);
  const auto log = platform::ModuleExport<LogDataToDiskFunction>(library, kLoggerExportName);
  ASSERT_NE(log, nullptr);
  const std::string first = BinFolder() + "logger-first.txt";
  const std::string second = BinFolder() + "logger-second.txt";
  const std::string moved = BinFolder() + "logger-moved.txt";
  for (const std::string& path : {first, second, moved}) std::filesystem::remove(path);
  const auto send = [&](const std::string& path, const std::string& text) {
    int written = -1;
    const int result = log(path.c_str(), text.c_str(), static_cast<int>(text.size()), nullptr, 2, &written);
    return std::make_pair(result, written);
  };

  EXPECT_EQ(send(first, "one\n"), std::make_pair(1, 4));
  EXPECT_EQ(send(first, "two\n"), std::make_pair(1, 4));
  EXPECT_EQ(ReadWholeFile(first), "one\ntwo\n");  // readable while held
  EXPECT_FALSE(MoveFileA(first.c_str(), moved.c_str()));

  {
    // Another program holds the second file for itself: the text is refused, and the next call opens it.
    const platform::FileHandle holder(CreateFileA(second.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(send(second, "refused\n"), std::make_pair(0, 0));
  }
  EXPECT_EQ(send(second, "three\n"), std::make_pair(1, 6));
  EXPECT_EQ(ReadWholeFile(second), "three\n");
  // Writing another file let the first one go.
  EXPECT_TRUE(MoveFileA(first.c_str(), moved.c_str()));

  library.reset();
  for (const std::string& path : {first, second, moved}) std::filesystem::remove(path);
}

}  // namespace
}  // namespace velkor
