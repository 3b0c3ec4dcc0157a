// Faults during a full run, as the agent's operators see them afterwards:
// tools that hang, flood their output, end at once or are missing; databases
// locked by other processes or taken away while the run goes on; a run ended
// by a newer one in the middle of a database; settings files spoilt; the
// activity log held by another program and no folder to hand status files to.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <filesystem>
#include <regex>

#include "platform/files.h"
#include "support/sandbox.h"

namespace velkor::e2e {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::string kDone = "Program exited Sucessfully.";
const std::string kNotMonitored = "Condition(s) not satisfied in the devicelist.ini file";
const std::string kTwelveHours = "Program exited Sucessfully for 12 HR schedule";
// Bytes that are no text of any settings file, a NUL and a lone CR among them.
const std::string kGarbage = std::string("\x01\xff\xfe=\x00[\x80\r]]==\x1b", 13) + "\r\n";

// The full paths of the running processes started from `folder`.
std::vector<std::string> ProcessesFrom(const std::string& folder) {
  std::vector<std::string> found;
  platform::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    platform::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (process && QueryFullProcessImageNameA(process.get(), 0, path, &size) &&
        _strnicmp(path, folder.c_str(), folder.size()) == 0)
      found.emplace_back(path);
  }
  return found;
}

// Holds `path` open the way another program might: `share` says what others may still do with it.
platform::FileHandle HoldOpen(const std::string& path, DWORD share) {
  return platform::FileHandle(
      CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetAgentValues(box.InstallationPath(), "R1");
    box.InstallProgram();
    box.PrepareHost();
    box.InstallTools("healthy");
  }

  // The descriptions of the status files in DevadEZ, oldest first.
  std::vector<std::string> Reported() const {
    std::vector<std::string> descriptions;
    for (const std::string& file : box.StatusFiles()) {
      const std::string text = ReadWholeFile(box.DevadEZ() + file);
      const std::size_t start = text.find("<edesc><![CDATA[") + 16;
      descriptions.push_back(text.substr(start, text.find("]]></edesc>") - start));
    }
    return descriptions;
  }
  std::vector<std::string> Lines(const std::string& type) const {
    std::vector<std::string> lines;
    for (const LogEntry& e : box.LogEntries())
      if (e.type == type) lines.push_back(e.module + "|" + e.message + "|" + e.detail + "|" + e.extra);
    return lines;
  }
  // Waits until the log holds `count` lines with `message`.
  bool AwaitLines(const std::string& message, std::size_t count = 1) const {
    for (const ULONGLONG end = GetTickCount64() + 20000; GetTickCount64() < end; Sleep(50)) {
      if (!std::filesystem::exists(box.ActivityLogPath())) continue;
      const std::vector<std::string> messages = box.LogMessages();
      if (static_cast<std::size_t>(std::count(messages.begin(), messages.end(), message)) >= count)
        return true;
    }
    return false;
  }
  std::vector<std::string> LastMessages(std::size_t count) const {
    const std::vector<std::string> messages = box.LogMessages();
    return {messages.end() - static_cast<long>(std::min(count, messages.size())), messages.end()};
  }
  std::vector<std::string> DatabaseFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(box.DatabasesFolder()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  Sandbox box;
};

// One fault per tool in one run. Each fails only its own conditions: their
// error code carries the reason, and each is reported as the run's status.
TEST_F(Faults, EachToolFaultFailsItsOwnConditionsAndIsReported) {
  // No standard tool folders: a failed run is not tried again elsewhere, and keeps its own code.
  std::error_code ignored;
  for (const char* folder : {"\\Support Tools", "\\Windows Resource Kits"})
    std::filesystem::remove_all(platform::ExpandEnvironment("%ProgramFiles%") + folder, ignored);
  WriteWholeFile(box.ProgramFolder() + "NexParser.ini",
                 "[Execute]\r\nTimeoutSeconds=1\r\nMaxOutputMegabytes=1\r\n");
  // Hangs, and so does the helper it starts: both are ended at the time limit.
  box.SetToolOption("net", "SleepMs", "60000");
  box.SetToolOption("net", "ChildSleepMs", "60000");
  box.SetToolOption("dcdiag", "FloodBytes", "1100000");  // past the output cap
  // Ends at once with a failure code and no report: nothing to judge, so the
  // report is not recognised and no condition may read as passed.
  box.SetToolOption("repadmin", "Output", "0");
  box.SetToolOption("repadmin", "ExitCode", "5");
  std::filesystem::remove(box.ProgramFolder() + "gpotool.exe");
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "1003", "1108", "1132", "1133"}));

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);

  EXPECT_EQ(box.Results("a.tsv"), "1001=0/1460 1003=0/223 1108=0/13 1132=0/2 1133=0/2");
  std::vector<std::string> failed;
  for (const std::string& line : Lines("ERROR"))
    if (line.starts_with("ExecuteExe|")) failed.push_back(line.substr(line.find("error code")));
  EXPECT_THAT(
      failed,
      ElementsAre("error code 1460 File name is net|", "error code 223 File name is dcdiag.exe|",
                  "error code 2 File name is gpotool.exe|", "error code 2 File name is gpotool.exe|"));
  EXPECT_THAT(
      Reported(),
      ElementsAre("net failed with Errorcode=1460", "dcdiag.exe failed with Errorcode=223",
                  "gpotool.exe failed with Errorcode=2", "repadmin report not recognised (Errorcode=13)",
                  "gpotool.exe failed with Errorcode=2"));
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_EQ(box.LogMessages().back(), kDone);
  EXPECT_EQ(std::filesystem::file_size(box.InstallationPath() +
                                       "Nexagent\\ApplicationLog\\Velkor\\VelkorTemp_DCDiag.txt"),
            1024u * 1024u);
  EXPECT_THAT(ProcessesFrom(box.ProgramFolder()), IsEmpty());
}

// Held by another program so that it cannot be read; held so that it cannot
// be replaced; gone between the listing and its turn. Each is reported, keeps
// its content and leaves nothing beside it, and the others are written.
TEST_F(Faults, LockedAndVanishingDatabasesAreReportedAndTheOthersWritten) {
  for (const char* name : {"a.tsv", "b.tsv", "c.tsv", "d.tsv"})
    box.WriteDatabase(name, RecordsOf({"1001", "3001"}));
  const std::string a = box.DatabasesFolder() + "a.tsv", b = box.DatabasesFolder() + "b.tsv";
  const std::string original = ReadWholeFile(a);
  platform::FileHandle unreadable = HoldOpen(a, 0);
  platform::FileHandle irreplaceable = HoldOpen(b, FILE_SHARE_READ);
  box.SetToolOption("net", "SleepMs", "1000");  // time to take c.tsv away before its turn

  const platform::Handle run = box.StartVelkor();
  ASSERT_TRUE(AwaitLines("Number Of DataBase"));
  std::filesystem::remove(box.DatabasesFolder() + "c.tsv");
  EXPECT_EQ(Sandbox::WaitForEnd(run).exitCode, 1u);
  unreadable.reset();
  irreplaceable.reset();

  EXPECT_EQ(ReadWholeFile(a), original);
  EXPECT_EQ(ReadWholeFile(b), original);
  EXPECT_EQ(box.Results("d.tsv"), "1001=0/0 3001=1/0");
  EXPECT_THAT(DatabaseFiles(), ElementsAre("a.tsv", "b.tsv", "d.tsv"));
  const std::string notOpened = " Unable to open the Database NexDBInterface.dll with errorcode cannot open ";
  EXPECT_THAT(Reported(),
              ElementsAre(AllOf(StartsWith("a.tsv" + notOpened + a + ": "), HasSubstr("(error 32)")),
                          StartsWith("b.tsv CloseDb Failed With ErrorCode is cannot replace " + b),
                          AllOf(StartsWith("c.tsv" + notOpened), HasSubstr("(error 2)"))));
  EXPECT_THAT(Lines("ERROR"), Contains(StartsWith("WinMain|CloseDB Failed||cannot replace " + b)));
  EXPECT_EQ(box.LogMessages().back(), kDone);
}

// A newer run ends the one that is in the middle of a database (its tools
// running, its database open and half copied); the older run's file is left
// as it was, and the newer run writes it.
TEST_F(Faults, NewerRunEndsAnOlderOneInTheMiddleOfADatabaseAndCompletesIt) {
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  const std::string database = box.DatabasesFolder() + "a.tsv";
  const std::string original = ReadWholeFile(database);
  box.SetToolOption("net", "SleepMs", "60000");
  box.SetToolOption("net", "ChildSleepMs", "60000");
  const platform::Handle older = box.StartVelkor();
  // Into the share listing: the tool and the helper it started.
  for (const ULONGLONG end = GetTickCount64() + 20000;
       ProcessesFrom(box.ProgramFolder()).size() < 3 && GetTickCount64() < end;)
    Sleep(50);
  ASSERT_THAT(ProcessesFrom(box.ProgramFolder()), Contains(EndsWith("\\net.exe")));
  ASSERT_TRUE(std::filesystem::exists(database + ".tmp"));
  box.SetToolOption("net", "SleepMs", "0");
  box.SetToolOption("net", "ChildSleepMs", "0");

  EXPECT_EQ(ReadWholeFile(database), original);
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(Sandbox::WaitForEnd(older).exitCode, static_cast<DWORD>(STILL_ACTIVE));  // as ended by the newer

  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0");
  EXPECT_THAT(DatabaseFiles(), ElementsAre("a.tsv"));
  const std::vector<std::string> messages = box.LogMessages();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "Main Function Started"), 2);
  EXPECT_EQ(std::count(messages.begin(), messages.end(), kDone), 1);
  EXPECT_EQ(box.IniValue("STATUS"), "0");
  EXPECT_THAT(ProcessesFrom(box.ProgramFolder()), IsEmpty());  // nor what the older run's tool had started
}

// The agent INI file and DeviceList.ini among garbage, with values longer
// than their buffers, line feeds alone and no line end at the close: the run
// reads what it can, goes through and writes what it must.
TEST_F(Faults, SpoiltSettingsFilesAreReadAsFarAsTheyGo) {
  const std::string host = "[" + HostName() + "]";
  const std::string deviceList = box.InstallationPath() + "Configuration\\DeviceList.ini";
  WriteWholeFile(deviceList, kGarbage + host + "\nTYPE=1\nLOCALMACHINE=Y\nENABLE=1\nFROMTIME=0:0:0" +
                                 std::string(5000, ' ') + "\nTOTIME=23:59:59\nDAYSTOMONITOR=0,1,2,3,4,5,6");
  WriteWholeFile(box.AgentIniPath(),
                 kGarbage + "[VELKOR]\r\n" + kGarbage + "STATUS=" + std::string(3000, '2') +
                     "\r\nERRORDESC=" + std::string(5000, 'x') + "\r\nLASTHRTIME=" + std::string(3000, '9') +
                     "\r\nMNTIME=" + kGarbage + "WEBPOST=TRUE");
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0");
  EXPECT_EQ(box.IniValue("STATUS"), "0");
  EXPECT_EQ(box.IniValue("ERRORDESC"), "No Errors Found");
  EXPECT_THAT(Reported(), ElementsAre("No Errors Found"));
  // An unreadable mark counts as elapsed and is written anew.
  EXPECT_TRUE(std::regex_match(box.IniValue("LASTHRTIME"), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
  EXPECT_THAT(box.LogMessages(), Contains(kTwelveHours));
  EXPECT_EQ(box.LogMessages().back(), kDone);

  // All on one line: the host's section has no keys, and the first rule stops the run.
  std::string oneLine = ReadWholeFile(deviceList);
  std::erase(oneLine, '\n');
  WriteWholeFile(deviceList, oneLine);
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(LastMessages(2), ElementsAre("Type is not matched in DeviceList.Ini", kNotMonitored));
  // Past the buffer: the days are cut before today's number.
  WriteWholeFile(deviceList,
                 host +
                     "\r\nTYPE=1\r\nLOCALMACHINE=Y\r\nENABLE=1\r\nFROMTIME=0:0:0\r\nTOTIME=23:59:59\r\n"
                     "DAYSTOMONITOR=" +
                     std::string(255, ',') + "0,1,2,3,4,5,6\r\n");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_THAT(LastMessages(2), ElementsAre("DaysToMonitor is not matched in DeviceList.Ini", kNotMonitored));
}

// The activity log held by another program without sharing, and a file where
// the DevadEZ folder should be: the run still tests and writes its database
// and settles its status; the status file it cannot hand over stays where it
// was written.
TEST_F(Faults, HeldLogAndBlockedStatusFolderDoNotStopTheRun) {
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  box.RunVelkor();  // the log exists
  const std::size_t lines = box.LogEntries().size();
  std::filesystem::remove_all(box.DevadEZ());
  WriteWholeFile(box.InstallationPath() + "DevadEZ", "not a folder");
  box.SetIniValue("STATUS", "2");  // an error to recover from: a status file is due
  box.SetIniValue("ERRORDESC", "net failed with Errorcode=2");
  box.SetIniValue("WEBPOST", "TRUE");
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  platform::FileHandle log = HoldOpen(box.ActivityLogPath(), 0);
  ASSERT_TRUE(log);

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  log.reset();
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0");
  EXPECT_EQ(box.IniValue("STATUS"), "1");
  EXPECT_EQ(box.LogEntries().size(), lines);  // nothing could be added
  std::vector<std::string> waiting;
  for (const auto& entry :
       std::filesystem::directory_iterator(box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor"))
    if (entry.path().filename().string().starts_with("radedavivururaz_"))
      waiting.push_back(ReadWholeFile(entry.path().string()));
  EXPECT_THAT(waiting, ElementsAre(HasSubstr("<![CDATA[Success]]>")));
}

}  // namespace
}  // namespace velkor::e2e
