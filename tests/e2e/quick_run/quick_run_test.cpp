// "Velkor.exe 1": the share listing and the connectivity test for every
// monitoring database, their outcome stored through the result component.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/com_server.h"
#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

const std::string kDone = "Program exited Sucessfully.";
const std::string kStored = "Info|SETMONRESULTS SUCCESSFULLY UPDATED WITH TESTID STATUS AND ERRORCODE |";
const std::string kRejected = "Info|SETMONRESULTS FAILED TO UPDATE STATUS AND ERROR ||";
const std::string kNetFailed =
    "SetMonIDStatus|INFO|ExecuteEXE Failed with Status 0 Exe name is and Errorcode|Net|223";
// The records of the run's function IDs as the healthy run leaves them; 1088 is never touched.
const std::string kHealthy = "1001=0/0 3001=1/0 1003=0/0 3003=1/0 1088=1/E9";

class QuickRun : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    box.PrepareHost();
  }

  void WriteDatabase(const std::string& name) const {
    std::vector<Record> records;
    for (const char* id : {"1001", "3001", "1003", "3003"})
      records.push_back({{"RecordKey", std::to_string(records.size() + 1)}, {"FunctionID", id}});
    records.push_back({{"RecordKey", "5"}, {"FunctionID", "1088"}, {"Status", "1"}, {"ErrorCode", "E9"}});
    box.WriteDatabase(name, records);
  }

  // The quick run's own lines and its submissions: module|type|message|detail|extra.
  std::vector<std::string> QuickRunLines() const {
    std::vector<std::string> lines;
    for (const LogEntry& e : box.LogEntries())
      if (e.module == "SetMonIDStatus" || e.module == "Info")
        lines.push_back(e.module + "|" + e.type + "|" + e.message + "|" + e.detail + "|" + e.extra);
    return lines;
  }

  // The quick run's output files, without "VelkorTemp_" and ".txt".
  std::string OutputFiles() const {
    std::string names;
    for (const std::string& file : box.AllFiles())
      if (const auto name = std::filesystem::path(file).stem().string(); name.starts_with("VelkorTemp_"))
        names += (names.empty() ? "" : " ") + name.substr(11);
    return names;
  }

  std::string DbPathLine(const std::string& name) const {
    return "SetMonIDStatus|INFO|DB Path|" + box.DatabasesFolder() + name + "|";
  }

  Sandbox box;
};

TEST_F(QuickRun, HealthyDatabasesGetTheirResultsAndRotationKeepsThreeOutputs) {
  box.InstallTools("healthy");
  WriteDatabase("a.tsv");
  WriteDatabase("b.tsv");

  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_EQ(box.Results("a.tsv"), kHealthy);
  EXPECT_EQ(box.Results("b.tsv"), kHealthy);
  std::vector<std::string> expected = {"SetMonIDStatus|INFO|Number Of DataBase|2|"};
  for (const char* name : {"a.tsv", "b.tsv"}) {
    expected.push_back(DbPathLine(name));
    for (const char* stored : {"1001|0|0", "3001|1|0", "1003|0|0", "3003|1|0"})
      expected.push_back(kStored + stored);
  }
  EXPECT_EQ(QuickRunLines(), expected);
  EXPECT_EQ(box.LogMessages().back(), kDone);
  // No settlement: no status stored, no status file.
  EXPECT_EQ(box.IniValue("STATUS"), "<absent>");
  EXPECT_TRUE(box.StatusFiles().empty());
  EXPECT_EQ(box.IniValue("VALUE", "LOG"), "2");
  EXPECT_EQ(OutputFiles(), "DcDiag_testConnectivity1 DcDiag_testConnectivity2 NetShare1 NetShare2");

  // 3 then 1; a stored value outside 0 to 2 starts again at 1.
  box.RunVelkor({"1"});
  EXPECT_EQ(box.IniValue("VALUE", "LOG"), "1");
  box.SetIniValue("VALUE", "5", "LOG");
  box.RunVelkor({"1"});
  EXPECT_EQ(box.IniValue("VALUE", "LOG"), "2");
  EXPECT_EQ(OutputFiles(),
            "DcDiag_testConnectivity1 DcDiag_testConnectivity2 DcDiag_testConnectivity3 NetShare1 NetShare2 "
            "NetShare3");
}

TEST_F(QuickRun, FailedConnectivitySubmitsItsDetailUnderFunctionIdZero) {
  WriteDatabase("a.tsv");
  // NETLOGON listed (its path names SYSVOL), SYSVOL not; the identity phrase present.
  box.InstallTools("connectivity_identity");
  box.RunVelkor({"1"});
  EXPECT_EQ(box.Results("a.tsv"), "1001=1/0 3001=0/0 1003=0/0 3003=0/0 1088=1/E9 0=1/0");
  const Record added = box.ReadDatabase("a.tsv").back();
  EXPECT_EQ(added.at("RecordKey") + added.at("GroupID") + added.at("TestID"), "600");
  EXPECT_THAT(QuickRunLines(), ElementsAre("SetMonIDStatus|INFO|Number Of DataBase|1|", DbPathLine("a.tsv"),
                                           kStored + "1001|1|0", kStored + "3001|0|0", kStored + "3003|0|0",
                                           "Info|BEFORE SETFUNCIDSTAT FUNCID STATUS ERROR |0|1|0",
                                           kStored + "0|1|0", kStored + "1003|0|0"));

  // Neither share; the test failed without the detail phrase. The record
  // added before is the one updated.
  box.InstallTools("connectivity_unresolved");
  box.RunVelkor({"1"});
  EXPECT_EQ(box.Results("a.tsv"), "1001=1/0 3001=0/0 1003=1/0 3003=0/0 1088=1/E9 0=0/0");
}

TEST_F(QuickRun, ToolThatCannotRunAndRejectedSubmissionsAreLoggedAndTheRunGoesOn) {
  box.InstallTools("connectivity_identity");
  // The share listing outgrows the parser library's output cap: it cannot run.
  WriteWholeFile(box.ProgramFolder() + "NexParser.ini", "[Execute]\r\nMaxOutputMegabytes=1\r\n");
  box.SetToolOption("net", "FloodBytes", "1100000");
  WriteDatabase("a.tsv");
  WriteDatabase("b.tsv");
  const std::string readOnly = box.DatabasesFolder() + "a.tsv";
  const std::string before = ReadWholeFile(readOnly);
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

  const std::vector<std::string> lines = QuickRunLines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[2], kNetFailed);
  EXPECT_THAT(lines[3], StartsWith(kRejected + "3003|cannot replace " + readOnly));
  EXPECT_THAT(lines[6], StartsWith(kRejected + "1003|cannot replace "));
  EXPECT_EQ(ReadWholeFile(readOnly), before);
  EXPECT_EQ(lines[8], kNetFailed);
  // Nothing for the share listing; the connectivity results carry none of its error text.
  EXPECT_EQ(box.Results("b.tsv"), "1001=/ 3001=/ 1003=0/0 3003=0/0 1088=1/E9 0=1/0");
  EXPECT_EQ(box.LogMessages().back(), kDone);
}

TEST_F(QuickRun, ComponentFailuresAreLogged) {
  box.InstallTools("healthy");
  // The databases cannot be listed: said so, and the run still ends normally.
  const std::string folder = box.InstallationPath() + "Nexagent\\Config\\Databases";
  WriteWholeFile(folder, "not a folder");
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 1u);
  EXPECT_THAT(QuickRunLines(),
              ElementsAre(StartsWith("SetMonIDStatus|ERROR|GetDBPaths Failed||cannot list ")));
  EXPECT_EQ(box.LogMessages().back(), kDone);
  std::filesystem::remove(folder);
  WriteDatabase("a.tsv");

  // No result component: the creation error, and the run ends with 0.
  ASSERT_EQ(velkor::testing::SelfRegister(box.ProgramFolder() + "NexDBInterface.dll", true), S_OK);
  std::filesystem::remove(box.ActivityLogPath());
  EXPECT_EQ(box.RunVelkor({"1"}).exitCode, 0u);
  EXPECT_EQ(QuickRunLines(), std::vector<std::string>{
                                 "SetMonIDStatus|INFO|CoCreateInstance Failed With Error Code  80040154.||"});
  EXPECT_NE(box.LogMessages().back(), kDone);
  EXPECT_EQ(box.Results("a.tsv"), "1001=/ 3001=/ 1003=/ 3003=/ 1088=1/E9");
}

}  // namespace
}  // namespace velkor::e2e
