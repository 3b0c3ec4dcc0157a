// Programs and libraries that someone put into the folder Velkor is started
// in are never run nor loaded; those beside Velkor.exe, in the system folders
// and in PATH's full folders are.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

TEST(PlantedFiles, InTheWorkingFolderAreNeitherRunNorLoaded) {
  Sandbox box;
  box.SetAgentValues(box.InstallationPath(), "R1");
  box.InstallProgram();
  box.PrepareHost();
  box.InstallTools("healthy");
  box.WriteDatabase("a.tsv", {{{"RecordKey", "1"}, {"FunctionID", "1001"}}});
  // The folder the agent starts Velkor in, where someone has planted tools
  // that say so and a working copy of the parser library.
  const std::string planted = box.InstallationPath() + "Work\\";
  fs::create_directories(planted);
  for (const char* tool : {"net", "dcdiag", "repadmin"})
    fs::copy_file(BinFolder() + "faketool.exe", planted + tool + ".exe");
  WriteWholeFile(planted + "faketool.ini", velkor::testing::FakeToolIni("healthy") +
                                               "[net]\r\nStderr=planted\r\n[dcdiag]\r\nStderr=planted\r\n"
                                               "[repadmin]\r\nStderr=planted\r\n");
  fs::copy_file(BinFolder() + "NexParser.dll", planted + "NexParser.dll");
  box.UseWorkingFolder(planted);
  // A "." in PATH names the working folder too.
  char path[32767] = {};
  GetEnvironmentVariableA("PATH", path, sizeof path);
  const ScopedEnvironment dotFirst("PATH", (".;" + std::string(path)).c_str());
  // net is the system's own (Windows keeps it in its system folder); repadmin is nowhere else.
  fs::remove(box.ProgramFolder() + "net.exe");
  fs::remove(box.ProgramFolder() + "repadmin.exe");
  const std::string outputs = box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor\\";

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  const std::string net = ReadWholeFile(outputs + "VelkorTemp_NetShare.txt");
  EXPECT_THAT(net, Not(HasSubstr("planted")));
  EXPECT_THAT(net, Not(::testing::IsEmpty()));  // the system's net ran
  const std::string dcdiag = ReadWholeFile(outputs + "VelkorTemp_DCDiag.txt");
  EXPECT_THAT(dcdiag, HasSubstr("passed test Connectivity"));  // the one beside Velkor.exe
  EXPECT_THAT(dcdiag, Not(HasSubstr("planted")));
  EXPECT_THAT(ReadWholeFile(outputs + "VelkorTemp_repadmin.txt"), Not(HasSubstr("planted")));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "repadmin failed with Errorcode=2");

  // Without the parser library beside Velkor.exe the run stops as it does
  // when there is none at all.
  fs::remove(box.ProgramFolder() + "NexParser.dll");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages().back(), "NexParser LoadLibrary failed");
  EXPECT_THAT(box.IniValue("ERRORDESC"), StartsWith("NexParser.dll  Dependency dll is missing "));
}

}  // namespace
}  // namespace velkor::e2e
