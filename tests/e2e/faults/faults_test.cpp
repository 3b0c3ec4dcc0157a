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
using ::testing::SizeIs;
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

// Ends every process started from `folder`.
void EndProcessesFrom(const std::string& folder) {
  platform::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    platform::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                                         FALSE, entry.th32ProcessID));
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (process && QueryFullProcessImageNameA(process.get(), 0, path, &size) &&
        _strnicmp(path, folder.c_str(), folder.size()) == 0) {
      TerminateProcess(process.get(), 9);
      WaitForSingleObject(process.get(), 5000);
    }
  }
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
  std::string LogFolder() const { return box.InstallationPath() + "Nexagent\\ApplicationLog\\Velkor\\"; }
  // The status files waiting in the log folder.
  std::vector<std::string> WaitingStatusFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(LogFolder()))
      if (entry.path().filename().string().starts_with("radedavivururaz_"))
        names.push_back(entry.path().filename().string());
    return names;
  }
  static bool IsWhole(const std::string& file) {
    return file.starts_with("<radedavivururaz>\r\n<regid>") &&
           file.ends_with("</edesc>\r\n<szfunc funid=''><![CDATA[]]></szfunc>\r\n</radedavivururaz>");
  }
  void SetStatus(const std::string& status, const std::string& description) const {
    box.SetIniValue("STATUS", status);
    box.SetIniValue("ERRORDESC", description);
    box.SetIniValue("WEBPOST", "TRUE");
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
// A tool ended at its time limit or output cap is not started again.
TEST_F(Faults, EachToolFaultFailsItsOwnConditionsAndIsReported) {
  const std::string starts = box.InstallationPath() + "starts.txt";
  box.SetToolOption("faketool", "StartsFile", starts);
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
  EXPECT_EQ(ReadWholeFile(starts), "netdom query fsmo\r\nnet share\r\ndcdiag\r\nrepadmin /showreps\r\n");
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

// Newer runs end the ones in the middle of a database (a tool hanging, the
// database open and half copied); each older run's file is left as it was,
// and the run that finishes writes it. Two full runs in a row that did not
// finish are the run's status; a finished run clears the count.
TEST_F(Faults, RunsEndedByNewerOnesAreCountedAndReported) {
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  const std::string database = box.DatabasesFolder() + "a.tsv";
  const std::string original = ReadWholeFile(database);
  box.SetToolOption("net", "SleepMs", "60000");
  box.SetToolOption("net", "ChildSleepMs", "60000");
  // Into the share listing: the run, the tool and the helper it started.
  const auto hangingInTheShareListing = [&] {
    for (const ULONGLONG end = GetTickCount64() + 20000;
         ProcessesFrom(box.ProgramFolder()).size() < 3 && GetTickCount64() < end;)
      Sleep(50);
    return ProcessesFrom(box.ProgramFolder()).size() == 3 && std::filesystem::exists(database + ".tmp");
  };
  const platform::Handle first = box.StartVelkor();
  ASSERT_TRUE(hangingInTheShareListing());
  const platform::Handle second = box.StartVelkor();
  EXPECT_EQ(Sandbox::WaitForEnd(first).exitCode, static_cast<DWORD>(STILL_ACTIVE));  // as ended by the newer
  ASSERT_TRUE(hangingInTheShareListing());
  EXPECT_EQ(box.IniValue("UNFINISHED"), "1");
  box.SetToolOption("net", "SleepMs", "0");
  box.SetToolOption("net", "ChildSleepMs", "0");

  EXPECT_EQ(ReadWholeFile(database), original);
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(Sandbox::WaitForEnd(second).exitCode, static_cast<DWORD>(STILL_ACTIVE));

  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0");
  EXPECT_THAT(DatabaseFiles(), ElementsAre("a.tsv"));
  const std::vector<std::string> messages = box.LogMessages();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "Main Function Started"), 3);
  EXPECT_EQ(std::count(messages.begin(), messages.end(), kDone), 1);
  EXPECT_THAT(Reported(), ElementsAre("Previous run did not finish (2 runs in a row)"));
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_EQ(box.IniValue("RUNNING") + box.IniValue("UNFINISHED"), "00");
  EXPECT_THAT(ProcessesFrom(box.ProgramFolder()), IsEmpty());  // nor what the older runs' tools had started

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_THAT(Reported(), ElementsAre("Previous run did not finish (2 runs in a row)", "Success"));
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
// and settles its status; the status file it cannot hand over waits in the
// log folder, still marked unsent. The next run, with DevadEZ free but the
// waiting file held by a scanner, keeps its own status file back behind it;
// the one after delivers both, in order.
TEST_F(Faults, StatusFilesWaitUntilTheyCanBeDeliveredInOrder) {
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  box.RunVelkor();  // the log exists
  const std::size_t lines = box.LogEntries().size();
  std::filesystem::remove_all(box.DevadEZ());
  WriteWholeFile(box.InstallationPath() + "DevadEZ", "not a folder");
  SetStatus("2", "net failed with Errorcode=2");  // an error to recover from: a status file is due
  platform::FileHandle log = HoldOpen(box.ActivityLogPath(), 0);
  ASSERT_TRUE(log);

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  log.reset();
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0");
  EXPECT_EQ(box.IniValue("STATUS"), "1");
  EXPECT_EQ(box.LogEntries().size(), lines);  // nothing could be added
  const std::vector<std::string> waiting = WaitingStatusFiles();
  ASSERT_THAT(waiting, ElementsAre(EndsWith(".txt")));
  EXPECT_THAT(ReadWholeFile(LogFolder() + waiting[0]), HasSubstr("<![CDATA[Success]]>"));
  EXPECT_EQ(box.IniValue("UNSENT"), waiting[0]);

  std::filesystem::remove(box.InstallationPath() + "DevadEZ");
  platform::FileHandle scanner = HoldOpen(LogFolder() + waiting[0], FILE_SHARE_READ);
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  scanner.reset();
  EXPECT_THAT(Reported(), IsEmpty());
  EXPECT_THAT(WaitingStatusFiles(), SizeIs(2));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "No Errors Found");

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_THAT(Reported(), ElementsAre("Success", "No Errors Found"));
  EXPECT_THAT(WaitingStatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("UNSENT"), "");
}

// A run ended after it stored a status and before its file reached DevadEZ:
// with no file, with a file cut short, with the whole file waiting. The next
// run sends that status, then goes on (and reports the recovery).
TEST_F(Faults, StatusStoredByARunEndedBeforeItsFileWasSentIsSent) {
  const std::string name = "radedavivururaz_N_R1_velkor_2026127101010100.txt";
  const std::string whole =
      "<radedavivururaz>\r\n<regid>R1</regid>\r\n<mntime>12/7/2026 "
      "10:10:10</mntime>\r\n<status>2</status>\r\n"
      "<dbname>a.tsv</dbname>\r\n<modid>29</modid>\r\n<edesc><![CDATA[net failed with "
      "Errorcode=2]]></edesc>\r\n"
      "<szfunc funid=''><![CDATA[]]></szfunc>\r\n</radedavivururaz>";
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  for (const std::optional<std::string>& left :
       {std::optional<std::string>(), std::optional(whole.substr(0, 90)), std::optional(whole)}) {
    std::filesystem::remove_all(box.DevadEZ());
    std::filesystem::remove(box.ActivityLogPath());
    SetStatus("2", "net failed with Errorcode=2");
    box.SetIniValue("UNSENT", name);
    if (left) WriteWholeFile(LogFolder() + name, *left);

    EXPECT_EQ(box.RunVelkor().exitCode, 1u);
    EXPECT_THAT(Reported(), ElementsAre("net failed with Errorcode=2", "Success")) << left.value_or("(none)");
    EXPECT_EQ(box.IniValue("UNSENT"), "");
    EXPECT_THAT(WaitingStatusFiles(), IsEmpty());
    const bool broken = left && *left != whole;
    std::vector<std::string> removals = Lines("ERROR");
    std::erase_if(removals, [](const std::string& line) { return !line.starts_with("WinMain|"); });
    EXPECT_EQ(removals, broken ? std::vector<std::string>{"WinMain|Incomplete status file removed|" +
                                                          LogFolder() + name + "|"}
                               : std::vector<std::string>{});
  }
}

// Velkor ended at any moment of its run, while it stores statuses, writes
// and moves status files and rewrites databases. After each end: DevadEZ
// holds only whole files, no status is marked sent without its file
// delivered or waiting, and every database holds its records.
TEST_F(Faults, RunsEndedAtAnyMomentLoseNothing) {
  for (const char* name : {"a.tsv", "b.tsv"})
    box.WriteDatabase(name, RecordsOf({"1001", "3001", "1003", "3003"}));
  // Two statuses each run (they alternate, so each is sent), and a day's status.
  std::filesystem::remove(box.ProgramFolder() + "dcdiag.exe");
  box.SetToolOption("repadmin", "Output", "0");
  const auto check = [&](const std::string& when) {
    SCOPED_TRACE(when);
    const std::string status = box.IniValue("STATUS");
    const std::vector<std::string> delivered = box.StatusFiles();
    for (const std::string& file : delivered)
      EXPECT_TRUE(IsWhole(ReadWholeFile(box.DevadEZ() + file))) << file;
    if (box.IniValue("UNSENT").empty() && status != "<absent>") {
      ASSERT_FALSE(delivered.empty());
      const std::string newest = ReadWholeFile(box.DevadEZ() + delivered.back());
      EXPECT_THAT(newest, HasSubstr("<status>" + status + "</status>"));
      EXPECT_THAT(newest,
                  HasSubstr("<edesc><![CDATA[" + (status == "1" ? "Success" : box.IniValue("ERRORDESC"))));
    }
    for (const char* name : {"a.tsv", "b.tsv"}) {
      std::string keys;
      for (Record& record : box.ReadDatabase(name)) keys += record["RecordKey"] + record["FunctionID"] + " ";
      EXPECT_EQ(keys, "11001 23001 31003 43003 ") << name;
    }
  };
  const ULONGLONG started = GetTickCount64();
  box.SetIniValue("MNTIME", "2001/1/1 0:0:0");
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  const auto duration = static_cast<DWORD>(GetTickCount64() - started);
  check("a whole run");
  constexpr int kEnds = 12;
  for (int k = 1; k <= kEnds; ++k) {
    box.SetIniValue("MNTIME", "2001/1/1 0:0:0");
    const platform::Handle run = box.StartVelkor();
    Sleep(duration * k / (kEnds + 1));
    TerminateProcess(run.get(), 9);
    WaitForSingleObject(run.get(), 10000);
    // A tool caught between its creation and its start (its job) is left behind.
    EndProcessesFrom(box.ProgramFolder());
    check("ended after " + std::to_string(duration * k / (kEnds + 1)) + " of " + std::to_string(duration) +
          " ms");
  }
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  check("a whole run at the end");
  EXPECT_THAT(WaitingStatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("UNSENT"), "");
}

}  // namespace
}  // namespace velkor::e2e
