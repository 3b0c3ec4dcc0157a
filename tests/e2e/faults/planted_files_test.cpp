// Programs and libraries that someone put into the folder Velkor is started
// in are never run nor loaded; those beside Velkor.exe, in the system folders
// and in PATH's full folders are, and the native system folder's tools of a
// 64-bit Windows are run by the 32-bit program.
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

// The sandbox's tools of the other width (64-bit) in the native system
// folder of the prefix, where a 64-bit Windows keeps dcdiag, repadmin and
// netdom; a file there of the same name is set aside meanwhile.
class NativeSystemTools {
 public:
  NativeSystemTools(const std::string& faketool, const std::string& scenario) {
    // A 32-bit process reaches the native folder through this name only.
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    folder_ = std::string(windows) + "\\Sysnative\\";
    for (const char* tool : velkor::testing::kFakeToolNames) {
      const std::string target = folder_ + tool + ".exe";
      if (fs::exists(target)) fs::rename(target, target + ".velkor-aside");
      fs::copy_file(faketool, target);
    }
    WriteWholeFile(folder_ + "faketool.ini", velkor::testing::FakeToolIni(scenario));
    // Wine runs its own net.exe from the system folder unless told otherwise.
    RegSetKeyValueA(HKEY_CURRENT_USER, kWineOverrides, "net.exe", REG_SZ, "native", 7);
  }
  NativeSystemTools(const NativeSystemTools&) = delete;
  NativeSystemTools& operator=(const NativeSystemTools&) = delete;
  ~NativeSystemTools() {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kWineOverrides, "net.exe");
    std::error_code ignored;
    fs::remove(folder_ + "faketool.ini", ignored);
    for (const char* tool : velkor::testing::kFakeToolNames) {
      const std::string target = folder_ + tool + ".exe";
      fs::remove(target, ignored);
      if (fs::exists(target + ".velkor-aside")) fs::rename(target + ".velkor-aside", target, ignored);
    }
  }

 private:
  static constexpr char kWineOverrides[] = "Software\\Wine\\DllOverrides";
  std::string folder_;
};

TEST(ToolFolders, TheNativeToolsOfA64BitWindowsAreRunByThe32BitProgram) {
  // Built by the 64-bit preset beside this build (build/windows64 beside build/windows).
  const std::string faketool = BinFolder() + "..\\..\\windows64\\bin\\faketool.exe";
  if (sizeof(void*) != 4 || !fs::exists(faketool)) GTEST_SKIP() << "needs the 64-bit build's " << faketool;
  Sandbox box;
  box.SetAgentValues(box.InstallationPath(), "R1");
  box.InstallProgram();
  box.PrepareHost();
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001", "1003", "1108", "1132", "1133"}));
  const NativeSystemTools tools(faketool, "gpo_version_mismatch");

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  // Every tool ran (the policy checks because netdom named this host), and
  // reported as the scenario has it.
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0 1003=0/0 1108=0/0 1132=0/0 1133=1/0");
  EXPECT_THAT(
      ReadWholeFile(box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor\\VelkorTemp_NetShare.txt"),
      HasSubstr("SYSVOL"));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "No Errors Found");
  EXPECT_THAT(box.LogMessages(), Not(::testing::Contains("lpNexExecute  Failed")));
  EXPECT_THAT(box.LogMessages(), ::testing::Contains("PDC Role Find in the netdom query fsmo"));
}

}  // namespace
}  // namespace velkor::e2e
