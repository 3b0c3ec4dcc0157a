// Start-up, the activity log, the argument and the registration identifier,
// as the agent's operators see them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::vector<std::string> kInvalidArgumentLines = {
    "Main Function Started",
    "Invalid Parameters passed",
    "Parameters passed must be 1 otherwise it take 0",
    "By default it take 0 means velkor Execution all the EXE's Specified to check AD",
    "1 Means velkor Execution only for Net Share and DCDiag.exe",
};

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    box.PrepareHost();
  }
  Sandbox box;
};

TEST_F(StartUp, MissingInstallationPathEndsSilentlyWithNothingCreated) {
  box.SetAgentValues(std::nullopt, "R1");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.AllFiles(),
              ElementsAre("Configuration\\DeviceList.ini", "Nexagent\\NexDBInterface.dll",
                          "Nexagent\\NexParser.dll", "Nexagent\\TalLogger.dll", "Nexagent\\Velkor.exe"));
}

TEST_F(StartUp, MissingLoggerWithoutRegIdOnlyCreatesTheFolders) {
  box.SetAgentValues(box.InstallationPath(), std::nullopt);
  std::filesystem::remove(box.ProgramFolder() + "TalLogger.dll");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.AllFiles(), ElementsAre("Configuration\\DeviceList.ini", "Nexagent\\NexDBInterface.dll",
                                          "Nexagent\\NexParser.dll", "Nexagent\\Velkor.exe"));
  EXPECT_TRUE(std::filesystem::is_directory(box.InstallationPath() + "Nexagent\\Config"));
  EXPECT_TRUE(std::filesystem::is_directory(box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor"));
}

TEST(StartUpOnAFreshAgentFolder, FirstRunKeepsItsStatus) {
  Sandbox box;  // no Nexagent folder yet: every level of the INI folder is created
  box.SetAgentValues(box.InstallationPath(), "R1");
  box.UseProgramFolder("Program\\");
  box.InstallProgram();
  box.PrepareHost();
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.IniValue("ERRORDESC"), "No Errors Found");
}

TEST_F(StartUp, LogLinesCarryDateTwelveHourTimeUserModuleAndUpperCasedType) {
  box.RunVelkor();
  const auto entries = box.LogEntries();
  ASSERT_EQ(entries.size(), kPassedGatesMessages.size() + 1);
  EXPECT_TRUE(
      std::regex_match(entries[0].stamp, std::regex(R"(\d{4}-\d\d-\d\d (0\d|1[0-2]):\d\d:\d\d (AM|PM))")))
      << entries[0].stamp;
  EXPECT_FALSE(entries[0].user.empty());
  EXPECT_EQ(entries[0].module, "WinMain");
  EXPECT_EQ(entries[0].type, "INFO");
  EXPECT_EQ(entries.back().type, "SUCCESS");
  EXPECT_EQ(entries.back().detail, "");
  EXPECT_EQ(entries.back().extra, "");
  const std::string log = ReadWholeFile(box.ActivityLogPath());
  EXPECT_EQ(log.rfind("#Fields:\tdate time\tUser Name\tmodule\ttype\tDescription\n", 0), 0u);
  EXPECT_EQ(log.find('\r'), std::string::npos);
}

TEST_F(StartUp, FieldLineIsWrittenOnceAndAgainAfterTheLogIsRemoved) {
  const auto fieldLines = [&] {
    const std::string log = ReadWholeFile(box.ActivityLogPath());
    std::size_t count = 0;
    for (std::size_t at = log.find("#Fields:"); at != std::string::npos; at = log.find("#Fields:", at + 1))
      ++count;
    return count;
  };
  box.RunVelkor();
  box.RunVelkor();
  EXPECT_EQ(fieldLines(), 1u);
  const std::size_t perRun = kPassedGatesMessages.size() + 1;
  EXPECT_EQ(box.LogEntries().size(), 2 * perRun);
  std::filesystem::remove(box.ActivityLogPath());
  box.RunVelkor();
  EXPECT_EQ(fieldLines(), 1u);
  EXPECT_EQ(box.LogEntries().size(), perRun);
}

TEST_F(StartUp, ArgumentsThatMeanAFullRun) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"0"}, {"abc"}, {"1", "2"}}) {
    std::filesystem::remove(box.ActivityLogPath());
    EXPECT_EQ(box.RunVelkor(arguments).exitCode, 1u) << ::testing::PrintToString(arguments);
    EXPECT_EQ(box.LogMessages().back(), "Program exited Sucessfully.") << ::testing::PrintToString(arguments);
  }
}

TEST_F(StartUp, InvalidArgumentsWriteTheFourLinesAndStop) {
  for (const std::string argument : {"2", "-1"}) {
    std::filesystem::remove(box.ActivityLogPath());
    EXPECT_EQ(box.RunVelkor({argument}).exitCode, 0u) << argument;
    EXPECT_EQ(box.LogMessages(), kInvalidArgumentLines) << argument;
  }
  EXPECT_EQ(box.IniValue("STATUS"), "<absent>");
  EXPECT_THAT(box.StatusFiles(), IsEmpty());
}

TEST_F(StartUp, RegIdFallsBackToOrvamobileIni) {
  box.SetAgentValues(box.InstallationPath(), std::nullopt);
  WriteWholeFile(box.InstallationPath() + "orvamobile.ini", "[MACHINE_INFO]\r\nDCRegId=FALLBACK7\r\n");
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  ASSERT_EQ(box.StatusFiles().size(), 1u);
  EXPECT_THAT(box.StatusFiles()[0], ::testing::StartsWith("radedavivururaz_N_FALLBACK7_velkor_"));
}

TEST_F(StartUp, MissingRegIdStopsAfterTheFirstLine) {
  box.SetAgentValues(box.InstallationPath(), std::nullopt);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogMessages(), ElementsAre("Main Function Started", "RegID not found"));
  EXPECT_THAT(box.StatusFiles(), IsEmpty());
}

}  // namespace
}  // namespace velkor::e2e
