// The gates between start-up and the monitoring work: each stops the run with
// its own lines and status, and no later gate runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

std::vector<std::string> Upto(std::size_t count) {
  return {kPassedGatesMessages.begin(), kPassedGatesMessages.begin() + static_cast<long>(count)};
}

std::vector<std::string> Plus(std::vector<std::string> lines, std::initializer_list<std::string> more) {
  lines.insert(lines.end(), more);
  return lines;
}

// Every weekday number but today's.
std::string OtherDays() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  std::string days;
  for (int d = 0; d < 7; ++d)
    if (d != now.wDayOfWeek) days += (days.empty() ? "" : ",") + std::to_string(d);
  return days;
}

class Gates : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
  }
  void Prepare(const HostSetup& host) { box.PrepareHost(host); }
  std::string NewestStatusFile() const {
    return Sandbox::ReadWholeFile(box.DevadEZ() + box.StatusFiles().back());
  }
  Sandbox box;
};

TEST_F(Gates, HostOutsideItsWindowStopsQuietly) {
  HostSetup host;
  host.deviceSection =
      "TYPE=1\r\nLOCALMACHINE=local\r\nENABLE=1\r\nFROMTIME=0:0:0\r\nTOTIME=23:59:59\r\nDAYSTOMONITOR=" +
      OtherDays() + "\r\n";
  Prepare(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogMessages(),
              ElementsAre("Main Function Started", "DaysToMonitor is not matched in DeviceList.Ini",
                          "Condition(s) not satisfied in the devicelist.ini file"));
  EXPECT_EQ(box.LogEntries()[1].module, "CheckPreConditions");
  EXPECT_THAT(box.StatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("STATUS"), "<absent>");
}

TEST_F(Gates, NoSectionForThisHostFailsOnType) {
  HostSetup host;
  Prepare(host);
  Sandbox::WriteWholeFile(box.InstallationPath() + "Configuration\\DeviceList.ini",
                          "[SOME-OTHER-HOST]\r\nTYPE=1\r\n");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogMessages(), ElementsAre("Main Function Started", "Type is not matched in DeviceList.Ini",
                                             "Condition(s) not satisfied in the devicelist.ini file"));
}

TEST_F(Gates, MissingDeviceListIsReportedAsTheStatus) {
  HostSetup host;
  host.deviceSection = std::nullopt;
  Prepare(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogMessages(), ElementsAre("Main Function Started", "DeviceList.Ini File Not Found"));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "DeviceList.ini File Not Found");
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));
}

TEST_F(Gates, UnsupportedVersionNamesItInTheDetailField) {
  HostSetup host;
  host.osVersion = "5.1";
  Prepare(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages(), Plus(Upto(2), {"", "OS version is not supported "}));
  const auto entries = box.LogEntries();
  EXPECT_EQ(entries[2].module, "CheckForOperatingSystem");
  EXPECT_EQ(entries[2].detail, "5.1 OS Version is not matched");
  EXPECT_EQ(box.IniValue("ERRORDESC"), "OS version is not supported");
  EXPECT_THAT(NewestStatusFile(), ::testing::HasSubstr("<![CDATA[OS version is not supported]]>"));
}

TEST_F(Gates, MemberServerIsReportedOnceAcrossRuns) {
  HostSetup host;
  host.ntdsServiceKey = false;
  Prepare(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages(), Plus(Upto(4), {"RegOpenKeyEx Failed", "Machine is Not Domain Controller"}));
  EXPECT_EQ(box.LogEntries()[4].type, "ERROR");
  EXPECT_EQ(box.IniValue("ERRORDESC"), "Machine is Not Domain Controller");
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));
  box.RunVelkor();
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));
}

TEST_F(Gates, ServiceKeyWithoutDirectoryDatabaseIsNoDomainController) {
  HostSetup host;
  host.ntdsDatabase = false;
  Prepare(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages(), Plus(Upto(5), {"Machine is Not Domain Controller"}));
}

TEST_F(Gates, OlderVersionNeedsTheSupportTools) {
  HostSetup host;
  host.osVersion = "5.2";
  Prepare(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages(),
            Plus(Upto(6), {"No Support tools found", "Machine does not contain support tools"}));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "Machine does not contain support tools");

  host.supportToolsUninstallEntry = true;
  Prepare(host);
  std::filesystem::remove(box.ActivityLogPath());
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.LogMessages(), Plus(Upto(6), {"Support tools found in unInstaller check",
                                              "Contians support tools", "Program exited Sucessfully."}));
  host.supportToolsUninstallEntry = false;
  Prepare(host);
}

TEST_F(Gates, MissingParserLibraryIsReportedWithTheSystemText) {
  Prepare(HostSetup{});
  std::filesystem::remove(box.ProgramFolder() + "NexParser.dll");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages(), Plus(kPassedGatesMessages, {"NexParser LoadLibrary failed"}));
  // The system text goes into the detail field as it is, with its line break.
  EXPECT_THAT(box.LogEntries().back().detail, ::testing::EndsWith("\r\n"));
  EXPECT_THAT(box.IniValue("ERRORDESC"), ::testing::StartsWith("NexParser.dll  Dependency dll is missing "));
}

TEST_F(Gates, QuickRunPassesTheSameGatesAndEndsWithoutSettlement) {
  Prepare(HostSetup{});
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_EQ(box.LogMessages(), Plus(kPassedGatesMessages, {"Program exited Sucessfully."}));
  EXPECT_THAT(box.StatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("STATUS"), "<absent>");

  HostSetup member;
  member.ntdsServiceKey = false;
  Prepare(member);
  std::filesystem::remove(box.ActivityLogPath());
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 0u);
  EXPECT_EQ(box.LogMessages().back(), "Machine is Not Domain Controller");
}

}  // namespace
}  // namespace velkor::e2e
