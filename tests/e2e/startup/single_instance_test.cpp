// A new run ends every earlier copy of the program that still runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "platform/handles.h"
#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

platform::Handle StartSleeper(const std::string& path) {
  std::string commandLine = "\"" + path + "\" 60";
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

TEST(SingleInstance, ARunningCopyInAnyLetterCaseIsEndedAndOtherProgramsAreNot) {
  Sandbox box;
  box.SetAgentValues(box.InstallationPath(), "R1");
  box.InstallProgram();
  box.PrepareHost();
  const std::string elsewhere = box.InstallationPath() + "elsewhere\\";
  std::filesystem::create_directories(elsewhere);
  std::filesystem::copy_file(BinFolder() + "sleeper.exe", elsewhere + "VELKOR.EXE");
  std::filesystem::copy_file(BinFolder() + "sleeper.exe", elsewhere + "other.exe");
  platform::Handle copy = StartSleeper(elsewhere + "VELKOR.EXE");
  platform::Handle other = StartSleeper(elsewhere + "other.exe");
  ASSERT_TRUE(copy && other);
  Sleep(300);

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);  // the new run survives and completes

  EXPECT_TRUE(HasEnded(copy));
  EXPECT_FALSE(HasEnded(other));
  TerminateProcess(other.get(), 0);
}

}  // namespace
}  // namespace velkor::e2e
