// The run status in the agent INI file and the status files in DevadEZ across
// consecutive runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::SizeIs;

class Status : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    box.PrepareHost();
    // A clean full run: a healthy controller with a database without records.
    box.InstallTools();
    box.WriteDatabase("empty.tsv", {});
  }
  std::string Newest() const { return ReadWholeFile(box.DevadEZ() + box.StatusFiles().back()); }
  void RemoveLogger() const { std::filesystem::remove(box.ProgramFolder() + "TalLogger.dll"); }
  Sandbox box;
};

TEST_F(Status, ErrorSameErrorRecoveryCleanAndCleanAgain) {
  RemoveLogger();
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_FALSE(std::filesystem::exists(box.ActivityLogPath()));  // no logger, no log
  ASSERT_THAT(box.StatusFiles(), SizeIs(1));
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_THAT(box.IniValue("ERRORDESC"), ::testing::StartsWith("TalLogger.dll Dependency dll is missing "));
  EXPECT_EQ(box.IniValue("WEBPOST"), "TRUE");
  EXPECT_THAT(Newest(), HasSubstr("<status>2</status>"));

  box.RunVelkor();  // the same error: the agent already has it
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));

  box.InstallProgram();
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);  // recovery
  ASSERT_THAT(box.StatusFiles(), SizeIs(2));
  EXPECT_EQ(box.IniValue("STATUS"), "1");
  EXPECT_EQ(box.IniValue("ERRORDESC"), "");
  EXPECT_THAT(Newest(), HasSubstr("<status>1</status>\r\n<dbname>empty.tsv</dbname>\r\n<modid>29</modid>\r\n"
                                  "<edesc><![CDATA[Success]]></edesc>"));

  box.RunVelkor();  // clean
  ASSERT_THAT(box.StatusFiles(), SizeIs(3));
  EXPECT_EQ(box.IniValue("STATUS"), "0");
  EXPECT_EQ(box.IniValue("ERRORDESC"), "No Errors Found");

  box.RunVelkor();  // clean again: nothing new to tell
  EXPECT_THAT(box.StatusFiles(), SizeIs(3));
}

TEST_F(Status, FileIsByteExactAndNamedAfterItsEmissionTime) {
  box.RunVelkor();
  ASSERT_THAT(box.StatusFiles(), SizeIs(1));
  const std::string name = box.StatusFiles()[0];
  const std::string mntime = box.IniValue("MNTIME");
  std::smatch stored;
  ASSERT_TRUE(std::regex_match(mntime, stored, std::regex(R"((\d{4})/(\d+)/(\d+) (\d+):(\d+):(\d+))")))
      << mntime;
  // No leading zeros anywhere; the name ends with the milliseconds.
  const std::string digits = stored[1].str() + stored[2].str() + stored[3].str() + stored[4].str() +
                             stored[5].str() + stored[6].str();
  EXPECT_TRUE(std::regex_match(name, std::regex("radedavivururaz_N_R1_velkor_" + digits + R"(\d{1,3}\.txt)")))
      << name << " vs " << mntime;
  const std::string expected =
      "<radedavivururaz>\r\n<regid>R1</regid>\r\n<mntime>" + stored[2].str() + "/" + stored[3].str() + "/" +
      stored[1].str() + " " + stored[4].str() + ":" + stored[5].str() + ":" + stored[6].str() +
      "</mntime>\r\n<status>0</status>\r\n<dbname>empty.tsv</dbname>\r\n<modid>29</modid>\r\n"
      "<edesc><![CDATA[No Errors Found]]></edesc>\r\n"
      "<szfunc funid=''><![CDATA[]]></szfunc>\r\n</radedavivururaz>";
  EXPECT_EQ(ReadWholeFile(box.DevadEZ() + name), expected);
  // Written in the log folder, then moved: nothing stays behind.
  EXPECT_FALSE(std::filesystem::exists(box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor\\" + name));
}

TEST_F(Status, DailyReEmissionComparesTheWholeDate) {
  box.RunVelkor();
  ASSERT_THAT(box.StatusFiles(), SizeIs(1));
  const std::string today = box.IniValue("MNTIME");
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(today, parts, std::regex(R"((\d{4})/(\d+)/(\d+) .*)")));

  box.RunVelkor();  // emitted today already
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));

  // The same day of the month, a year earlier: another day, so the status is sent again.
  box.SetIniValue("MNTIME", std::to_string(std::stoi(parts[1]) - 1) + "/" + parts[2].str() + "/" +
                                parts[3].str() + " 1:2:3");
  box.RunVelkor();
  ASSERT_THAT(box.StatusFiles(), SizeIs(2));
  EXPECT_THAT(Newest(), HasSubstr("<status>0</status>"));
  EXPECT_THAT(box.IniValue("MNTIME"), ::testing::StartsWith(parts[1].str() + "/" + parts[2].str() + "/"));
}

TEST_F(Status, MissingMnTimeEmitsNothingDaily) {
  box.SetIniValue("STATUS", "0");
  box.SetIniValue("ERRORDESC", "No Errors Found");
  box.RunVelkor();
  EXPECT_THAT(box.StatusFiles(), SizeIs(0));
}

TEST_F(Status, StoredErrorWithoutWebPostIsKeptAsItIs) {
  box.SetIniValue("STATUS", "2");
  box.SetIniValue("ERRORDESC", "old failure");
  box.RunVelkor();
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_EQ(box.IniValue("ERRORDESC"), "old failure");
  EXPECT_THAT(box.StatusFiles(), SizeIs(0));
}

TEST_F(Status, MarkupInValuesStillGivesWellFormedXml) {
  box.SetAgentValues(box.InstallationPath(), "A&B");
  box.SetIniValue("STATUS", "2");
  box.SetIniValue("ERRORDESC", "broken ]]> <here>");
  box.SetIniValue("MNTIME", "2001/1/1 1:1:1");
  box.RunVelkor();  // no WEBPOST: the error stays, and the daily emission repeats it
  ASSERT_THAT(box.StatusFiles(), SizeIs(1));
  const std::string file = Newest();
  EXPECT_THAT(file, HasSubstr("<regid>A&amp;B</regid>"));
  EXPECT_THAT(file, HasSubstr("<edesc><![CDATA[broken ]]]]><![CDATA[> <here>]]></edesc>"));
}

}  // namespace
}  // namespace velkor::e2e
