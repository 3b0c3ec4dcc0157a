// An access violation inside a component's export escapes every catch-all
// handler; the run still ends the way WinMain's handler ends it.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;

// The test build of the logger, which faults on request.
class Fault : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    box.PrepareHost();
    std::filesystem::copy_file(BinFolder() + "faulting\\TalLogger.dll", box.ProgramFolder() + "TalLogger.dll",
                               std::filesystem::copy_options::overwrite_existing);
  }
  Sandbox box;
};

TEST_F(Fault, AccessViolationInAComponentIsHandledAsWinMainsException) {
  // It faults when it is handed the fourth line.
  const ScopedEnvironment fault("VELKOR_FAULT_ON", "supports OS version");

  EXPECT_EQ(box.RunVelkor().exitCode, 0u);  // not the fault's code

  const auto entries = box.LogEntries();
  ASSERT_THAT(entries, SizeIs(4));
  EXPECT_EQ(entries[2].message, "OS Version is matched");
  EXPECT_EQ(entries[3].module, "WinMain");
  EXPECT_EQ(entries[3].type, "ERROR");
  EXPECT_EQ(entries[3].message, "Exception Occured ");
  EXPECT_FALSE(entries[3].detail.empty());  // the system's text of the last error
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_EQ(box.IniValue("ERRORDESC"), "Exception occured in WinMain while processing the data");
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));
}

// A logger that faults again when the handler writes its line: the status
// was reported first, so the run is not ended unreported.
TEST_F(Fault, FaultingLoggerDoesNotSilenceTheRun) {
  const ScopedEnvironment fault("VELKOR_FAULT_FROM", "supports OS version");

  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogEntries(), SizeIs(3));  // the handler's line faulted too
  EXPECT_EQ(box.IniValue("ERRORDESC"), "Exception occured in WinMain while processing the data");
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));
}

}  // namespace
}  // namespace velkor::e2e
