// Start-up, the activity log, the argument and the registration identifier,
// as the agent's operators see them.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "platform/registry.h"
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

TEST_F(StartUp, MissingLoggerWithoutRegIdOnlyCreatesTheFolders) {
  box.SetAgentValues(box.InstallationPath(), std::nullopt);
  std::filesystem::remove(box.ProgramFolder() + "TalLogger.dll");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.AllFiles(), ElementsAre("Configuration\\DeviceList.ini", "Nexagent\\NexDBInterface.dll",
                                          "Nexagent\\NexParser.dll", "Nexagent\\Velkor.exe"));
  EXPECT_TRUE(std::filesystem::is_directory(box.InstallationPath() + "Nexagent\\Config"));
  EXPECT_TRUE(std::filesystem::is_directory(box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor"));
}

TEST(StartUpWithoutInstallationPath, MissingOrEmptyPathEndsSilentlyWithNothingCreated) {
  // Started from a folder where every agent path, taken as relative, would
  // resolve: an empty installation path must not be used as one.
  for (const auto& path : {std::optional<std::string>(), std::optional<std::string>("")}) {
    SCOPED_TRACE(path ? "empty" : "absent");
    Sandbox box;
    box.SetAgentValues(path, "R1");
    box.UseProgramFolder("");
    box.InstallProgram();
    box.PrepareHost();
    std::filesystem::create_directories(box.InstallationPath() + "Nexagent");
    EXPECT_EQ(box.RunVelkor().exitCode, 0u);
    EXPECT_THAT(box.AllFiles(), ElementsAre("Configuration\\DeviceList.ini", "NexDBInterface.dll",
                                            "NexParser.dll", "TalLogger.dll", "Velkor.exe"));
  }
}

TEST_F(StartUp, AgentKeyIsReadInThe32BitView) {
  // A 64-bit system: the 32-bit view's key lies under Wow6432Node, and a key of
  // the same name in the 64-bit view, here naming another folder, is not read.
  const std::string elsewhere = box.InstallationPath() + "64-bit view\\";
  platform::RegKey key64;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZOVEZO", 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key64.receive(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key64.get(), "InstallationPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(elsewhere.c_str()),
                 static_cast<DWORD>(elsewhere.size() + 1));
  platform::RegKey underWow;
  std::string stored;
  ASSERT_EQ(platform::OpenKey(underWow, HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\ZOVEZO",
                              KEY_READ | KEY_WOW64_64KEY),
            ERROR_SUCCESS);
  ASSERT_EQ(platform::QueryText(underWow, "InstallationPath", 1024, stored), ERROR_SUCCESS);
  EXPECT_EQ(stored, box.InstallationPath());

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZOVEZO", KEY_WOW64_64KEY, 0);
  EXPECT_EQ(box.LogMessages().back(), "Program exited Sucessfully.");
  EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

TEST(StartUpWithALongInstallationPath, LogPathOverItsLimitIsRefusedNotCut) {
  // The activity log's path is the installation path and 41 characters, and
  // at most 259 are kept. One character more and the run goes on without a
  // log rather than writing to a cut name ("...\\Velkor\\velkor.tx").
  for (const std::size_t length : {218u, 219u}) {
    SCOPED_TRACE(length);
    Sandbox box;
    const std::string base = box.InstallationPath();
    box.UseInstallationPath(base + std::string(length - base.size() - 1, 'p') + "\\");
    ASSERT_EQ(box.InstallationPath().size(), length);
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    box.PrepareHost();
    EXPECT_EQ(box.RunVelkor().exitCode, 1u);
    EXPECT_EQ(box.IniValue("ERRORDESC"), "No DataBase Found");  // the run reached the databases
    if (length == 218) {
      EXPECT_EQ(box.ActivityLogPath().size(), 259u);
      EXPECT_EQ(box.LogMessages().back(), "Program exited Sucessfully.");
      continue;
    }
    // Status files aside (their paths are longer still, so they are not moved on), nothing but the INI file.
    std::vector<std::string> files = box.AllFiles();
    std::erase_if(
        files, [](const std::string& file) { return file.find("\\radedavivururaz_") != std::string::npos; });
    EXPECT_THAT(files, ElementsAre("Configuration\\DeviceList.ini", "Nexagent\\Config\\Velkor.ini",
                                   "Nexagent\\NexDBInterface.dll", "Nexagent\\NexParser.dll",
                                   "Nexagent\\TalLogger.dll", "Nexagent\\Velkor.exe"));
  }
}

TEST(StartUpOnAFreshAgentFolder, FirstRunKeepsItsStatus) {
  Sandbox box;  // no Nexagent folder yet: every level of the INI folder is created
  box.SetAgentValues(box.InstallationPath(), "R1");
  box.UseProgramFolder("Program\\");
  box.InstallProgram();
  box.PrepareHost();
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.IniValue("ERRORDESC"), "No DataBase Found");  // the run reached the databases
}

TEST_F(StartUp, LogLinesCarryDateTwelveHourTimeUserModuleAndUpperCasedType) {
  box.RunVelkor();
  const auto entries = box.LogEntries();
  ASSERT_EQ(entries.size(), kPassedGatesMessages.size() + 2);  // no database found, the last line
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
  const std::size_t perRun = kPassedGatesMessages.size() + 2;  // no database found, the last line
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
