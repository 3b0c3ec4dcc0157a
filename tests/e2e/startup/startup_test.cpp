// Start-up and the gates before the monitoring work, the activity log, the
// run status and its files, the single instance and a faulting component, as
// the agent's operators see them.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <filesystem>
#include <functional>
#include <regex>

#include "platform/system.h"
#include "support/agent_test.h"

namespace velkor::e2e {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::StartsWith;

const std::string kNoDatabase = "No DataBase Found";  // the status of a full run here
const std::string kNoDc = "Machine is Not Domain Controller";
const std::string kNoTools = "Machine does not contain support tools";

std::vector<std::string> GatesThen(std::size_t passedGates, std::initializer_list<std::string> more) {
  std::vector<std::string> lines(kPassedGatesMessages.begin(),
                                 kPassedGatesMessages.begin() + static_cast<long>(passedGates));
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

class StartUp : public AgentTest {
 protected:
  // Moves the program out of Nexagent, which goes, to `relative` below the installation folder.
  void MoveProgram(const std::string& relative) {
    fs::remove_all(box.ProgramFolder());
    box.UseFolders(box.InstallationPath(), box.InstallationPath() + relative);
    box.InstallProgram();
  }
};

TEST_F(StartUp, GatesAndArgumentsEndTheRunWithTheirLinesAndStatus) {
  struct Row {
    const char* name;
    std::vector<std::string> lines;
    std::string status;  // how ERRORDESC starts; "<absent>": nothing stored, nothing sent
    HostSetup host = {};
    std::vector<std::string> arguments = {};
    std::function<void(const Sandbox&)> change = nullptr;  // to the program
    std::string details = "";                              // in the detail fields of the log
  };
  const std::vector<std::string> invalid = {
      "Main Function Started", "Invalid Parameters passed", "Parameters passed must be 1 otherwise it take 0",
      "By default it take 0 means velkor Execution all the EXE's Specified to check AD",
      "1 Means velkor Execution only for Net Share and DCDiag.exe"};
  const auto tools = [](const char* found) {
    return GatesThen(6, {found, "Contians support tools", "Number Of DataBase", kDone});
  };
  const auto remove = [](const char* file) {
    return [file](const Sandbox& b) { fs::remove(b.ProgramFolder() + file); };
  };
  const std::string otherDays =
      "TYPE=1\r\nLOCALMACHINE=local\r\nENABLE=1\r\nFROMTIME=0:0:0\r\nTOTIME=23:59:59\r\nDAYSTOMONITOR=" +
      OtherDays() + "\r\n";
  const std::string mod = platform::SystemErrorText(ERROR_MOD_NOT_FOUND).value_or("");
  // clang-format off
  const Row rows[] = {
      {"two arguments", GatesThen(7, {"Number Of DataBase", kDone}), kNoDatabase, {}, {"1", "2"}},
      {"-1", invalid, "<absent>", {}, {"-1"}},
      {"quick run", GatesThen(7, {"no DataBase found", "Number Of DataBase", kDone}), "<absent>", {}, {"1"}},
      {"no logger", {}, "TalLogger.dll Dependency dll is missing ", {}, {}, remove("TalLogger.dll")},
      {"5.0 tools", tools("Support tools found in unInstaller check"), kNoDatabase,
       {.osVersion = "5.0", .uninstallDisplayName = "Windows 2000 Support Tools"}},
      {"5.2 case-sensitive", GatesThen(6, {"No Support tools found", kNoTools}), kNoTools,
       {.osVersion = "5.2", .uninstallDisplayName = "windows support tools"}},
      {"5.2 installer key", tools("Support tools found in Installer check"), kNoDatabase,
       {.osVersion = "5.2", .supportToolsProductKey = true}},
      {"5.0 and a blank", GatesThen(2, {"", "OS version is not supported "}), "OS version is not supported",
       {.osVersion = "5.0 "}, {}, nullptr, "5.0  OS Version is not matched"},
      {"member server", GatesThen(4, {"RegOpenKeyEx Failed", kNoDc}), kNoDc, {.ntdsServiceKey = false}},
      {"service key without database", GatesThen(5, {kNoDc}), kNoDc, {.ntdsDatabase = false}},
      {"outside its days", {kPassedGatesMessages[0], "DaysToMonitor is not matched in DeviceList.Ini",
       "Condition(s) not satisfied in the devicelist.ini file"}, "<absent>", {.deviceSection = otherDays}},
      {"no DeviceList.ini", {kPassedGatesMessages[0], "DeviceList.Ini File Not Found"},
       "DeviceList.ini File Not Found", {.deviceSection = std::nullopt}},
      {"no parser", GatesThen(7, {"NexParser LoadLibrary failed"}),
       "NexParser.dll  Dependency dll is missing " + mod.substr(0, mod.find('\r')), {}, {},
       remove("NexParser.dll"), mod},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    box.ClearRunTraces();
    box.InstallProgram();
    box.PrepareHost(row.host);
    if (row.change) row.change(box);
    EXPECT_EQ(box.RunVelkor(row.arguments).exitCode,
              !row.lines.empty() && row.lines.back() == kDone ? 1u : 0u);
    EXPECT_EQ(box.LogMessages(), row.lines);
    EXPECT_THAT(box.IniValue("ERRORDESC"), StartsWith(row.status));
    EXPECT_EQ(box.IniValue("WEBPOST"), row.status == "<absent>" ? "<absent>" : "TRUE");
    std::string details;
    for (const LogEntry& entry : box.LogEntries()) details += entry.detail;
    EXPECT_THAT(details, HasSubstr(row.details));
    EXPECT_EQ(box.StatusFiles().size(), row.status == "<absent>" ? 0u : 1u);
  }
  // The log's form, shown by the last row's: a second run writes below the
  // one field line; lines end in LF, and only the system text keeps its CRLF.
  box.RunVelkor();
  std::string log = ReadWholeFile(box.ActivityLogPath());
  EXPECT_EQ(log.rfind("#Fields:\tdate time\tUser Name\tmodule\ttype\tDescription\n", 0), 0u);
  EXPECT_EQ(log.find("#Fields:", 1), std::string::npos);
  for (std::size_t at = log.find(mod); at != std::string::npos; at = log.find(mod)) log.erase(at, mod.size());
  EXPECT_EQ(log.find('\r'), std::string::npos);
  const LogEntry first = box.LogEntries()[0];
  EXPECT_TRUE(std::regex_match(first.stamp, std::regex(R"(\d{4}-\d\d-\d\d (0\d|1[0-2]):\d\d:\d\d (AM|PM))")))
      << first.stamp;
  EXPECT_EQ(first.module + " " + first.type, "WinMain INFO");
  EXPECT_FALSE(first.user.empty());
}

TEST_F(StartUp, WithoutRegIdOnlyTheFoldersAreMadeUnlessOrvamobileIniNamesIt) {
  // A fresh agent folder: every level of the Nexagent folders is created, or
  // the first run's status would be lost.
  MoveProgram("Program\\");
  box.SetAgentValues(box.InstallationPath(), std::nullopt);
  fs::remove(box.ProgramFolder() + "TalLogger.dll");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.AllFiles(), ElementsAre("Configuration\\DeviceList.ini", "Program\\NexDBInterface.dll",
                                          "Program\\NexParser.dll", "Program\\Velkor.exe"));
  EXPECT_TRUE(fs::is_directory(box.InstallationPath() + "Nexagent\\Config"));
  EXPECT_TRUE(fs::is_directory(box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor"));

  box.InstallProgram();
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(box.LogMessages(), ElementsAre("Main Function Started", "RegID not found"));

  WriteWholeFile(box.InstallationPath() + "orvamobile.ini", "[MACHINE_INFO]\r\nDCRegId=FALLBACK7\r\n");
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_THAT(box.StatusFiles(), ElementsAre(StartsWith("radedavivururaz_N_FALLBACK7_velkor_")));
}

TEST_F(StartUp, MissingOrEmptyInstallationPathEndsWithNothingCreated) {
  // Started from a folder where every agent path, taken as relative, would
  // resolve: an empty installation path must not be used as one.
  MoveProgram("");
  fs::create_directories(box.InstallationPath() + "Nexagent");
  for (const auto& path : {std::optional<std::string>(), std::optional<std::string>("")}) {
    box.SetAgentValues(path, "R1");
    EXPECT_EQ(box.RunVelkor().exitCode, 0u);
    EXPECT_THAT(box.AllFiles(), ElementsAre("Configuration\\DeviceList.ini", "NexDBInterface.dll",
                                            "NexParser.dll", "TalLogger.dll", "Velkor.exe"));
  }
}

TEST_F(StartUp, ActivityLogPathOverItsLimitIsRefusedNotCut) {
  // The log's path is the installation path and 41 characters, of which 259
  // are kept: one more and the run goes on without a log rather than write
  // to a cut name ("...\\Velkor\\velkor.tx").
  const std::string base = box.InstallationPath();
  for (const std::size_t length : {218u, 219u}) {
    SCOPED_TRACE(length);
    const std::string installation = base + std::string(length - base.size() - 1, 'p') + "\\";
    box.UseFolders(installation, installation + "Nexagent\\");
    box.SetAgentValues(installation, "R1");
    box.InstallProgram();
    box.PrepareHost();
    EXPECT_EQ(box.RunVelkor().exitCode, 1u);
    EXPECT_EQ(box.IniValue("ERRORDESC"), kNoDatabase);  // the run went on to the databases
    EXPECT_EQ(fs::exists(box.ActivityLogPath().substr(0, 259)), length == 218);  // never a cut name
  }
}

TEST_F(StartUp, StoredErrorWithoutWebPostIsKeptAndSentAgainOnAnotherDay) {
  box.WriteDatabase("empty.tsv", {});  // a healthy controller, and a database without records
  box.SetAgentValues(box.InstallationPath(), "A&B/..\\..\\x:s");  // only text in the file name
  box.SetIniValue("STATUS", "2");
  box.SetIniValue("ERRORDESC", "broken ]]> <h\xE9re>");  // a letter of the code page
  box.RunVelkor();  // no recovery to report without WEBPOST, nothing to repeat without MNTIME
  EXPECT_EQ(box.IniValue("STATUS") + " " + box.IniValue("ERRORDESC"), "2 broken ]]> <h\xE9re>");
  EXPECT_THAT(box.StatusFiles(), IsEmpty());

  box.SetIniValue("MNTIME", "2001/1/1 1:1:1");
  box.RunVelkor();
  ASSERT_THAT(box.StatusFiles(), SizeIs(1));
  std::smatch t;
  const std::string mntime = box.IniValue("MNTIME");
  ASSERT_TRUE(std::regex_match(mntime, t, std::regex(R"((\d{4})/(\d+)/(\d+) (\d+):(\d+):(\d+))"))) << mntime;
  const std::string name = box.StatusFiles()[0];
  EXPECT_THAT(name, StartsWith("radedavivururaz_N_A&B_.._.._x_s_velkor_"));
  EXPECT_EQ(ReadWholeFile(box.DevadEZ() + name),
            "<radedavivururaz>\r\n<regid>A&amp;B/..\\..\\x:s</regid>\r\n<mntime>" + t[2].str() + "/" +
                t[3].str() + "/" + t[1].str() + " " + t[4].str() + ":" + t[5].str() + ":" + t[6].str() +
                "</mntime>\r\n<status>2</status>\r\n<dbname>empty.tsv</dbname>\r\n<modid>29</modid>\r\n"
                "<edesc><![CDATA[broken ]]]]><![CDATA[> <h\xC3\xA9re>]]></edesc>\r\n"  // UTF-8
                "<szfunc funid=''><![CDATA[]]></szfunc>\r\n</radedavivururaz>");

  box.RunVelkor();  // sent today already
  EXPECT_THAT(box.StatusFiles(), SizeIs(1));
  // The same day of the month a year earlier is another day.
  box.SetIniValue("MNTIME",
                  std::to_string(std::stoi(t[1]) - 1) + "/" + t[2].str() + "/" + t[3].str() + " 1:2:3");
  box.RunVelkor();
  EXPECT_THAT(box.StatusFiles(), SizeIs(2));
  EXPECT_THAT(box.IniValue("MNTIME"), StartsWith(t[1].str() + "/" + t[2].str() + "/"));
}

TEST_F(StartUp, RunningCopiesInAnyLetterCaseAreEndedAndOtherProgramsAreNot) {
  const auto start = [&](const std::string& name) {  // a program that waits a minute
    const std::string exe = box.InstallationPath() + name;
    fs::create_directories(fs::path(exe).parent_path());
    fs::copy_file(BinFolder() + "faketool.exe", exe);
    return StartProgram(exe, " --faketool-child 60000", box.InstallationPath());
  };
  const platform::Handle copy = start("elsewhere\\VELKOR.EXE");
  const platform::Handle other = start("elsewhere\\other.exe");
  // A copy that lets others open it only to end it and to query it, as under
  // a stricter account or an older Windows.
  const platform::Handle strict = start("strict\\Velkor.exe");
  PSECURITY_DESCRIPTOR onlyEndAndQuery = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x101401;;;WD)", SDDL_REVISION_1,
                                                                   &onlyEndAndQuery, nullptr));
  EXPECT_TRUE(SetKernelObjectSecurity(strict.get(), DACL_SECURITY_INFORMATION, onlyEndAndQuery));
  LocalFree(onlyEndAndQuery);

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);  // the new run survives and completes

  const auto ended = [](const platform::Handle& process) {
    return WaitForSingleObject(process.get(), 3000) == WAIT_OBJECT_0;
  };
  EXPECT_TRUE(ended(copy));
  EXPECT_TRUE(ended(strict));
  EXPECT_FALSE(ended(other));
  TerminateProcess(other.get(), 0);
}

TEST_F(StartUp, AccessViolationInAComponentEndsTheRunAsWinMainsHandlerDoes) {
  // It escapes every catch-all handler. The test build of the logger faults on
  // the fourth line, once or (the handler's line too) from there on: the
  // status was reported first, so the run does not end unreported.
  fs::copy_file(BinFolder() + "faulting\\TalLogger.dll", box.ProgramFolder() + "TalLogger.dll",
                fs::copy_options::overwrite_existing);
  for (const std::string variable : {"VELKOR_FAULT_ON", "VELKOR_FAULT_FROM"}) {
    SCOPED_TRACE(variable);
    box.ClearRunTraces();
    const ScopedEnvironment fault(variable.c_str(), "supports OS version");
    EXPECT_EQ(box.RunVelkor().exitCode, 0u);  // not the fault's code
    EXPECT_EQ(box.IniValue("STATUS"), "2");
    EXPECT_EQ(box.IniValue("ERRORDESC"), "Exception occured in WinMain while processing the data");
    EXPECT_THAT(box.StatusFiles(), SizeIs(1));
    const std::vector<LogEntry> entries = box.LogEntries();
    ASSERT_EQ(entries.size(), variable == "VELKOR_FAULT_ON" ? 4u : 3u);
    EXPECT_EQ(entries[2].message, kPassedGatesMessages[2]);
    if (entries.size() == 3) continue;
    EXPECT_EQ(entries[3].module + " " + entries[3].type + " " + entries[3].message,
              "WinMain ERROR Exception Occured ");
    EXPECT_FALSE(entries[3].detail.empty());  // the system's text of the last error
  }
}

}  // namespace
}  // namespace velkor::e2e
