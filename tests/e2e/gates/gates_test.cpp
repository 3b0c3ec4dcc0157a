// The gates between start-up and the monitoring work: each stops the run with
// its own lines and status, and no later gate runs.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "platform/system.h"
#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

std::vector<std::string> Lines(std::size_t passedGates, std::initializer_list<std::string> more) {
  std::vector<std::string> lines(kPassedGatesMessages.begin(),
                                 kPassedGatesMessages.begin() + static_cast<long>(passedGates));
  lines.insert(lines.end(), more);
  return lines;
}

const std::string kDone = "Program exited Sucessfully.";
const std::string kNoDatabase = "Number Of DataBase";  // the full run finds no database here
const std::string kNoDc = "Machine is Not Domain Controller";
const std::string kNoTools = "Machine does not contain support tools";

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
  Sandbox box;
};

TEST_F(Gates, VersionRoleAndSupportTools) {
  struct Case {
    const char* name;
    HostSetup host;
    std::vector<std::string> lines;
    std::string status;  // the stored description; "" for a completed run
  };
  const auto host = [](std::optional<std::string> version, std::optional<std::string> uninstallName = {},
                       bool productKey = false) {
    HostSetup h;
    h.osVersion = std::move(version);
    h.uninstallDisplayName = std::move(uninstallName);
    h.supportToolsProductKey = productKey;
    return h;
  };
  HostSetup member = host("6.3"), noDatabase = host("6.3");
  member.ntdsServiceKey = false;
  noDatabase.ntdsDatabase = false;
  const std::vector<std::string> unsupported = Lines(2, {"", "OS version is not supported "});
  const Case cases[] = {
      {"6.1 counts as 6.0", host("6.1"), Lines(7, {kNoDatabase, kDone}), ""},
      {"5.0 without tools", host("5.0"), Lines(6, {"No Support tools found", kNoTools}), kNoTools},
      {"5.0 wants its own name", host("5.0", "Windows Support Tools"),
       Lines(6, {"No Support tools found", kNoTools}), kNoTools},
      {"5.0 with tools", host("5.0", "Windows 2000 Support Tools"),
       Lines(6, {"Support tools found in unInstaller check", "Contians support tools", kNoDatabase, kDone}),
       ""},
      {"5.2 with tools", host("5.2", "Windows Support Tools"),
       Lines(6, {"Support tools found in unInstaller check", "Contians support tools", kNoDatabase, kDone}),
       ""},
      {"5.2 name is case-sensitive", host("5.2", "windows support tools"),
       Lines(6, {"No Support tools found", kNoTools}), kNoTools},
      {"5.2 installer key", host("5.2", std::nullopt, true),
       Lines(6, {"Support tools found in Installer check", "Contians support tools", kNoDatabase, kDone}),
       ""},
      {"10.0", host("10.0"), unsupported, "OS version is not supported"},
      {"5.0 with a blank", host("5.0 "), unsupported, "OS version is not supported"},
      {"no version", host(std::nullopt), unsupported, "OS version is not supported"},
      {"member server", member, Lines(4, {"RegOpenKeyEx Failed", kNoDc}), kNoDc},
      {"service key without database", noDatabase, Lines(5, {kNoDc}), kNoDc},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(box.ActivityLogPath());
    box.PrepareHost(c.host);
    EXPECT_EQ(box.RunVelkor().exitCode, c.status.empty() ? 1u : 0u);
    EXPECT_EQ(box.LogMessages(), c.lines);
    if (!c.status.empty()) {
      EXPECT_EQ(box.IniValue("ERRORDESC"), c.status);
    }
    if (c.lines == unsupported) {  // the version read goes into the detail field
      EXPECT_EQ(box.LogEntries()[2].detail, c.host.osVersion.value_or("") + " OS Version is not matched");
    }
  }
}

TEST_F(Gates, HostOutsideItsWindowStopsWithoutAStatus) {
  HostSetup host;
  host.deviceSection =
      "TYPE=1\r\nLOCALMACHINE=local\r\nENABLE=1\r\nFROMTIME=0:0:0\r\nTOTIME=23:59:59\r\n"
      "DAYSTOMONITOR=" +
      OtherDays() + "\r\n";
  box.PrepareHost(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogMessages(),
              ElementsAre("Main Function Started", "DaysToMonitor is not matched in DeviceList.Ini",
                          "Condition(s) not satisfied in the devicelist.ini file"));
  EXPECT_THAT(box.StatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("STATUS"), "<absent>");

  WriteWholeFile(box.InstallationPath() + "Configuration\\DeviceList.ini", "[OTHER-HOST]\r\nTYPE=1\r\n");
  std::filesystem::remove(box.ActivityLogPath());
  box.RunVelkor();
  EXPECT_EQ(box.LogMessages()[1], "Type is not matched in DeviceList.Ini");
}

TEST_F(Gates, MissingDeviceListIsReportedAsTheStatus) {
  HostSetup host;
  host.deviceSection = std::nullopt;
  box.PrepareHost(host);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogMessages(), ElementsAre("Main Function Started", "DeviceList.Ini File Not Found"));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "DeviceList.ini File Not Found");
}

TEST_F(Gates, AFailedGateIsReportedOnceAcrossRuns) {
  HostSetup member;
  member.ntdsServiceKey = false;
  box.PrepareHost(member);
  box.RunVelkor();
  box.RunVelkor();
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));
}

TEST_F(Gates, MissingParserLibraryIsReportedWithTheSystemText) {
  box.PrepareHost();
  std::filesystem::remove(box.ProgramFolder() + "NexParser.dll");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages(), Lines(7, {"NexParser LoadLibrary failed"}));
  // The system text goes into the detail field as it is, with its line break.
  EXPECT_THAT(box.LogEntries().back().detail, ::testing::EndsWith("\r\n"));
  EXPECT_THAT(box.IniValue("ERRORDESC"), ::testing::StartsWith("NexParser.dll  Dependency dll is missing "));
}

TEST_F(Gates, ParserLibraryOfTheOtherWidthIsReportedWithTheSystemTextFor193) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "the program is 32-bit only in the 32-bit build";
  box.PrepareHost();
  // A 64-bit DLL that Wine itself provides, as NexParser.dll beside the 32-bit program.
  const std::string parser = box.ProgramFolder() + "NexParser.dll";
  ASSERT_TRUE(CopyFileA("C:\\windows\\sysnative\\version.dll", parser.c_str(), FALSE));
  const std::string image = ReadWholeFile(parser);
  ASSERT_GT(image.size(), 0x40u);
  const std::uint32_t header = *reinterpret_cast<const std::uint32_t*>(image.data() + 0x3C);
  ASSERT_EQ(image.substr(header, 6), std::string("PE\0\0\x64\x86", 6));  // machine AMD64

  EXPECT_EQ(box.RunVelkor().exitCode, 0u);

  const std::string text = platform::SystemErrorText(ERROR_BAD_EXE_FORMAT).value_or("193");
  EXPECT_EQ(box.LogMessages(), Lines(7, {"NexParser LoadLibrary failed"}));
  EXPECT_EQ(box.LogEntries().back().detail, text);
  EXPECT_THAT(box.IniValue("ERRORDESC"), ::testing::StartsWith("NexParser.dll  Dependency dll is missing " +
                                                               text.substr(0, text.find('\r'))));
}

TEST_F(Gates, QuickRunPassesTheSameGatesAndEndsWithoutSettlement) {
  box.PrepareHost();
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_EQ(box.LogMessages(), Lines(7, {"no DataBase found", "Number Of DataBase", kDone}));
  EXPECT_THAT(box.StatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("STATUS"), "<absent>");
}

}  // namespace
}  // namespace velkor::e2e
