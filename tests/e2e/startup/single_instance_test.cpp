// A new run ends every earlier copy of the program that still runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "platform/handles.h"
#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

platform::Handle StartSleeper(const std::string& path, const char* mode = "") {
  std::string commandLine = "\"" + path + "\" 60 " + mode;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return {};
  CloseHandle(info.hThread);
  return platform::Handle(info.hProcess);
}

bool HasEnded(const platform::Handle& process) {
  return WaitForSingleObject(process.get(), 3000) == WAIT_OBJECT_0;
}

TEST(SingleInstance, RunningCopiesInAnyLetterCaseAreEndedAndOtherProgramsAreNot) {
  Sandbox box;
  box.SetAgentValues(box.InstallationPath(), "R1");
  box.InstallProgram();
  box.PrepareHost();
  const std::string elsewhere = box.InstallationPath() + "elsewhere\\";
  std::filesystem::create_directories(elsewhere);
  std::filesystem::copy_file(BinFolder() + "sleeper.exe", elsewhere + "VELKOR.EXE");
  std::filesystem::copy_file(BinFolder() + "sleeper.exe", elsewhere + "other.exe");
  const std::string strict = box.InstallationPath() + "strict\\";
  std::filesystem::create_directories(strict);
  std::filesystem::copy_file(BinFolder() + "sleeper.exe", strict + "Velkor.exe");
  platform::Handle copy = StartSleeper(elsewhere + "VELKOR.EXE");
  // A copy that lets others open it only to end it and to query it.
  platform::Handle strictCopy = StartSleeper(strict + "Velkor.exe", "restricted");
  platform::Handle other = StartSleeper(elsewhere + "other.exe");
  ASSERT_TRUE(copy && strictCopy && other);
  Sleep(300);
  ASSERT_EQ(WaitForSingleObject(strictCopy.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // restricted itself

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);  // the new run survives and completes

  EXPECT_TRUE(HasEnded(copy));
  EXPECT_TRUE(HasEnded(strictCopy));
  EXPECT_FALSE(HasEnded(other));
  TerminateProcess(other.get(), 0);
}

}  // namespace
}  // namespace velkor::e2e
