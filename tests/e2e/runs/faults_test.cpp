// Faults during a full run, as the agent's operators see them afterwards:
// tools that hang, flood their output, end at once or are missing; databases
// locked or taken away; runs ended by newer ones or at any moment; spoilt
// settings files; status files that cannot be delivered; planted programs.
#include <memory>

#include "support/agent_test.h"

namespace velkor::e2e {
namespace {

using namespace ::testing;
using Runs = AgentTest;

// One fault per tool in one run. Each fails only its own conditions, with
// the reason in their error code, and each is reported as the run's status.
// A tool ended at its time limit or output cap is not started again.
TEST_F(Runs, EachToolFaultFailsItsOwnConditionsAndIsReported) {
  const std::string starts = box.InstallationPath() + "starts.txt";
  box.SetToolOption("faketool", "StartsFile", starts);
  WriteWholeFile(box.ProgramFolder() + "NexParser.ini",
                 "[Execute]\r\nTimeoutSeconds=1\r\nMaxOutputMegabytes=1\r\n");
  // Hangs, and so does the helper it starts: both are ended at the time limit.
  box.SetToolOption("net", "SleepMs", "60000");
  box.SetToolOption("net", "ChildSleepMs", "60000");
  box.SetToolOption("dcdiag", "FloodBytes", "1100000");  // past the output cap
  // Ends at once with a failure code and no report: nothing to judge.
  box.SetToolOption("repadmin", "Output", "0");
  box.SetToolOption("repadmin", "ExitCode", "5");
  fs::remove(box.ProgramFolder() + "gpotool.exe");
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "1003", "1108", "1132", "1133"}));

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/1460 1003=0/223 1108=0/13 1132=0/2 1133=0/2");
  EXPECT_THAT(Reported(),
              ElementsAre("net failed with Errorcode=1460", "dcdiag.exe failed with Errorcode=223",
                          "gpotool.exe failed with Errorcode=2", Unrecognised("repadmin"),
                          "gpotool.exe failed with Errorcode=2"));
  EXPECT_EQ(box.IniValue("STATUS"), "2");
  EXPECT_EQ(box.LogMessages().back(), kDone);
  EXPECT_EQ(fs::file_size(LogFolder() + "VelkorTemp_DCDiag.txt"), 1024u * 1024u);
  EXPECT_THAT(ProcessesFrom(box.ProgramFolder()), IsEmpty());
  EXPECT_EQ(ReadWholeFile(starts), "netdom query fsmo\r\nnet share\r\ndcdiag\r\nrepadmin /showreps\r\n");
}

// Held so that it cannot be read; held so that it cannot be replaced; gone
// between the listing and its turn. Each is reported and keeps its content,
// nothing is left beside it, and the others are written.
TEST_F(Runs, LockedAndVanishingDatabasesAreReportedAndTheOthersWritten) {
  for (const char* name : {"a.tsv", "b.tsv", "c.tsv", "d.tsv"})
    box.WriteDatabase(name, RecordsOf({"1001", "3001"}));
  const std::string a = box.DatabasesFolder() + "a.tsv", b = box.DatabasesFolder() + "b.tsv";
  const std::string original = ReadWholeFile(a);
  platform::FileHandle unreadable = HoldOpen(a, 0);
  platform::FileHandle irreplaceable = HoldOpen(b, FILE_SHARE_READ);
  box.SetToolOption("net", "SleepMs", "1000");  // time to take c.tsv away before its turn

  const platform::Handle run = box.StartVelkor();
  for (const ULONGLONG end = GetTickCount64() + 20000; Details("Number Of DataBase").empty();) {
    ASSERT_LT(GetTickCount64(), end);
    Sleep(50);
  }
  fs::remove(box.DatabasesFolder() + "c.tsv");
  EXPECT_EQ(Sandbox::WaitForEnd(run).exitCode, 1u);
  unreadable.reset();
  irreplaceable.reset();

  EXPECT_EQ(ReadWholeFile(a), original);
  EXPECT_EQ(ReadWholeFile(b), original);
  EXPECT_EQ(box.Results("d.tsv"), "1001=0/0 3001=1/0");
  EXPECT_THAT(FilesIn(box.DatabasesFolder()), ElementsAre("a.tsv", "b.tsv", "d.tsv"));
  const std::string notOpened = " Unable to open the Database NexDBInterface.dll with errorcode cannot open ";
  EXPECT_THAT(Reported(),
              ElementsAre(AllOf(StartsWith("a.tsv" + notOpened + a + ": "), HasSubstr("(error 32)")),
                          StartsWith("b.tsv CloseDb Failed With ErrorCode is cannot replace " + b),
                          AllOf(StartsWith("c.tsv" + notOpened), HasSubstr("(error 2)"))));
  EXPECT_EQ(box.LogMessages().back(), kDone);
}

// Newer runs end the ones in the middle of a database (a tool hanging, the
// database half copied); the older run's file is left as it was, and the run
// that finishes writes it. Two runs in a row that did not finish are the
// run's status; a finished run clears the count.
TEST_F(Runs, RunsEndedByNewerOnesAreCountedAndReported) {
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
    return ProcessesFrom(box.ProgramFolder()).size() == 3 && fs::exists(database + ".tmp");
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
  EXPECT_THAT(FilesIn(box.DatabasesFolder()), ElementsAre("a.tsv"));
  EXPECT_THAT(Reported(), ElementsAre("Previous run did not finish (2 runs in a row)"));
  EXPECT_EQ(box.IniValue("STATUS") + box.IniValue("RUNNING") + box.IniValue("UNFINISHED"), "200");
  EXPECT_THAT(ProcessesFrom(box.ProgramFolder()), IsEmpty());  // nor what the older runs' tools had started

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_THAT(Reported(), ElementsAre("Previous run did not finish (2 runs in a row)", "Success"));
}

// The agent INI file and DeviceList.ini among garbage (a NUL and a lone CR
// among it), with values longer than their buffers, line feeds alone and no
// line end at the close: the run reads what it can, goes through and writes
// what it must.
TEST_F(Runs, SpoiltSettingsFilesAreReadAsFarAsTheyGo) {
  const std::string garbage = std::string("\x01\xff\xfe=\x00[\x80\r]]==\x1b", 13) + "\r\n";
  const std::string host = "[" + HostName() + "]";
  const std::string deviceList = box.InstallationPath() + "Configuration\\DeviceList.ini";
  WriteWholeFile(deviceList, garbage + host + "\nTYPE=1\nLOCALMACHINE=Y\nENABLE=1\nFROMTIME=0:0:0" +
                                 std::string(5000, ' ') + "\nTOTIME=23:59:59\nDAYSTOMONITOR=0,1,2,3,4,5,6");
  WriteWholeFile(box.AgentIniPath(), garbage + "[VELKOR]\r\n" + garbage + "STATUS=" + std::string(3000, '2') +
                                         "\r\nERRORDESC=" + std::string(5000, 'x') + "\r\nLASTHRTIME=" +
                                         std::string(3000, '9') + "\r\nMNTIME=" + garbage + "WEBPOST=TRUE");
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0");
  EXPECT_EQ(box.IniValue("STATUS"), "0");
  EXPECT_THAT(Reported(), ElementsAre("No Errors Found"));
  // An unreadable mark counts as elapsed and is written anew.
  EXPECT_TRUE(std::regex_match(box.IniValue("LASTHRTIME"), kTimeStamp));
  EXPECT_THAT(box.LogMessages(), Contains(kTwelveHours));
  EXPECT_EQ(box.LogMessages().back(), kDone);
  const auto stopsAt = [&](const std::string& rule) {
    EXPECT_EQ(box.RunVelkor().exitCode, 0u);
    const std::vector<std::string> messages = box.LogMessages();
    EXPECT_THAT(std::vector(messages.end() - 2, messages.end()),
                ElementsAre(rule, "Condition(s) not satisfied in the devicelist.ini file"));
  };

  // All on one line: the host's section has no keys, and the first rule stops the run.
  std::string oneLine = ReadWholeFile(deviceList);
  std::erase(oneLine, '\n');
  WriteWholeFile(deviceList, oneLine);
  stopsAt("Type is not matched in DeviceList.Ini");
  // Past the buffer: the days are cut before today's number.
  HostSetup days;
  days.deviceSection->insert(days.deviceSection->find("DAYSTOMONITOR=") + 14, std::string(255, ','));
  box.PrepareHost(days);
  stopsAt("DaysToMonitor is not matched in DeviceList.Ini");
}

// The activity log held without sharing and a file where DevadEZ should be:
// the run still writes its database and settles its status; the status file
// waits in the log folder, marked unsent. The next run, the waiting file held
// by a scanner, keeps its own file back behind it; the one after delivers
// both, in order.
TEST_F(Runs, StatusFilesWaitUntilTheyCanBeDeliveredInOrder) {
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  box.RunVelkor();  // the log exists
  const std::size_t lines = box.LogEntries().size();
  fs::remove_all(box.DevadEZ());
  WriteWholeFile(box.InstallationPath() + "DevadEZ", "not a folder");
  SetFailedStatus();
  platform::FileHandle log = HoldOpen(box.ActivityLogPath(), 0);
  ASSERT_TRUE(log);

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  log.reset();
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0");
  EXPECT_EQ(box.IniValue("STATUS"), "1");
  EXPECT_EQ(box.LogEntries().size(), lines);  // nothing could be added
  const std::vector<std::string> waiting = WaitingStatusFiles();
  ASSERT_THAT(waiting, SizeIs(1));
  EXPECT_THAT(ReadWholeFile(LogFolder() + waiting[0]), HasSubstr("<![CDATA[Success]]>"));
  EXPECT_EQ(box.IniValue("UNSENT"), waiting[0]);

  fs::remove(box.InstallationPath() + "DevadEZ");
  platform::FileHandle scanner = HoldOpen(LogFolder() + waiting[0], FILE_SHARE_READ);
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  scanner.reset();
  EXPECT_THAT(Reported(), IsEmpty());
  EXPECT_THAT(WaitingStatusFiles(), SizeIs(2));

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_THAT(Reported(), ElementsAre("Success", "No Errors Found"));
  EXPECT_THAT(WaitingStatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("UNSENT"), "");
}

// A run ended after it stored a status and before its file reached DevadEZ:
// with no file, with a file cut short, with the whole file waiting. The next
// run sends that status (a broken file anew), then goes on.
TEST_F(Runs, StatusStoredByARunEndedBeforeItsFileWasSentIsSent) {
  const std::string name = "radedavivururaz_N_R1_velkor_2026127101010100.txt";
  const std::string whole =
      "<radedavivururaz>\r\n<regid>R1</regid>\r\n<mntime>12/7/2026 "
      "10:10:10</mntime>\r\n<status>2</status>\r\n"
      "<dbname>a.tsv</dbname>\r\n<modid>29</modid>\r\n<edesc><![CDATA[net failed with "
      "Errorcode=2]]></edesc>\r\n"
      "<szfunc funid=''><![CDATA[]]></szfunc>\r\n</radedavivururaz>";
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001"}));
  for (const std::string& left : {std::string(), whole.substr(0, 90), whole}) {
    fs::remove_all(box.DevadEZ());
    fs::remove(box.ActivityLogPath());
    SetFailedStatus();
    box.SetIniValue("UNSENT", name);
    if (!left.empty()) WriteWholeFile(LogFolder() + name, left);

    EXPECT_EQ(box.RunVelkor().exitCode, 1u);
    EXPECT_THAT(Reported(), ElementsAre("net failed with Errorcode=2", "Success")) << left;
    EXPECT_EQ(box.IniValue("UNSENT"), "");
    EXPECT_THAT(WaitingStatusFiles(), IsEmpty());
    EXPECT_THAT(Details("Incomplete status file removed"), SizeIs(!left.empty() && left != whole ? 1 : 0));
  }
}

// Velkor ended at any moment while it stores statuses, writes and moves
// status files and rewrites databases. After each end DevadEZ holds only
// whole files, no status is marked sent without its file delivered or
// waiting, and every database holds its records.
TEST_F(Runs, RunsEndedAtAnyMomentLoseNothing) {
  for (const char* name : {"a.tsv", "b.tsv"})
    box.WriteDatabase(name, RecordsOf({"1001", "3001", "1003", "3003"}));
  // Two statuses each run (they alternate, so each is sent), and a day's status.
  fs::remove(box.ProgramFolder() + "dcdiag.exe");
  box.SetToolOption("repadmin", "Output", "0");
  const auto check = [&](const std::string& when) {
    SCOPED_TRACE(when);
    const std::vector<std::string> delivered = box.StatusFiles();
    for (const std::string& file : delivered)
      EXPECT_THAT(ReadWholeFile(box.DevadEZ() + file),
                  AllOf(StartsWith("<radedavivururaz>\r\n<regid>"),
                        ::testing::EndsWith(
                            "</edesc>\r\n<szfunc funid=''><![CDATA[]]></szfunc>\r\n</radedavivururaz>")));
    if (const std::string status = box.IniValue("STATUS");
        box.IniValue("UNSENT").empty() && status != "<absent>") {
      ASSERT_FALSE(delivered.empty());
      EXPECT_THAT(
          ReadWholeFile(box.DevadEZ() + delivered.back()),
          AllOf(HasSubstr("<status>" + status + "</status>"),
                HasSubstr("<edesc><![CDATA[" + (status == "1" ? "Success" : box.IniValue("ERRORDESC")))));
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
  for (DWORD k = 1; k <= 12; ++k) {
    box.SetIniValue("MNTIME", "2001/1/1 0:0:0");
    const platform::Handle run = box.StartVelkor();
    Sleep(duration * k / 13);
    TerminateProcess(run.get(), 9);
    WaitForSingleObject(run.get(), 10000);
    // A tool caught between its creation and its start (its job) is left behind.
    ProcessesFrom(box.ProgramFolder(), true);
    check("ended after " + std::to_string(duration * k / 13) + " of " + std::to_string(duration) + " ms");
  }
  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  check("a whole run at the end");
  EXPECT_THAT(WaitingStatusFiles(), IsEmpty());
  EXPECT_EQ(box.IniValue("UNSENT"), "");
}

// Programs and libraries put into the folder Velkor is started in (a "." in
// PATH names it too) are never run nor loaded; those beside Velkor.exe and in
// the system folders are.
TEST_F(Runs, PlantedFilesInTheWorkingFolderAreNeitherRunNorLoaded) {
  box.WriteDatabase("a.tsv", RecordsOf({"1001"}));
  const std::string planted = box.InstallationPath() + "Work\\";
  fs::create_directories(planted);
  std::string ini = velkor::testing::FakeToolIni("healthy");
  for (const std::string tool : {"net", "dcdiag", "repadmin"}) {
    fs::copy_file(BinFolder() + "faketool.exe", planted + tool + ".exe");
    ini += "[" + tool + "]\r\nStderr=planted\r\n";
  }
  WriteWholeFile(planted + "faketool.ini", ini);
  fs::copy_file(BinFolder() + "NexParser.dll", planted + "NexParser.dll");
  box.UseWorkingFolder(planted);
  char path[32767] = {};
  GetEnvironmentVariableA("PATH", path, sizeof path);
  const ScopedEnvironment dotFirst("PATH", (".;" + std::string(path)).c_str());
  // net is the system's own (Windows keeps it in its system folder); repadmin is nowhere else.
  fs::remove(box.ProgramFolder() + "net.exe");
  fs::remove(box.ProgramFolder() + "repadmin.exe");

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  EXPECT_THAT(ReadWholeFile(LogFolder() + "VelkorTemp_NetShare.txt"),
              AllOf(Not(HasSubstr("planted")), Not(IsEmpty())));
  EXPECT_THAT(ReadWholeFile(LogFolder() + "VelkorTemp_DCDiag.txt"),
              AllOf(HasSubstr("passed test Connectivity"), Not(HasSubstr("planted"))));
  EXPECT_THAT(ReadWholeFile(LogFolder() + "VelkorTemp_repadmin.txt"), Not(HasSubstr("planted")));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "repadmin failed with Errorcode=2");

  // Without the parser library beside Velkor.exe the run stops as without any.
  fs::remove(box.ProgramFolder() + "NexParser.dll");
  EXPECT_EQ(box.RunVelkor().exitCode, 0u);
  EXPECT_EQ(box.LogMessages().back(), "NexParser LoadLibrary failed");
  EXPECT_THAT(box.IniValue("ERRORDESC"), StartsWith("NexParser.dll  Dependency dll is missing "));
}

// The 64-bit build's tools in the native system folder of the prefix, where a
// 64-bit Windows keeps dcdiag, repadmin and netdom and which a 32-bit process
// reaches as Sysnative only; files of the same name are set aside meanwhile.
TEST_F(Runs, TheNativeToolsOfA64BitWindowsAreRunByThe32BitProgram) {
  // Built by the 64-bit preset beside this build (build/windows64 beside build/windows).
  const std::string faketool = BinFolder() + "..\\..\\windows64\\bin\\faketool.exe";
  if (sizeof(void*) != 4 || !fs::exists(faketool)) GTEST_SKIP() << "needs the 64-bit build's " << faketool;
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string native = std::string(windows) + "\\Sysnative\\";
  const char* overrides = "Software\\Wine\\DllOverrides";
  const std::shared_ptr<void> restore(nullptr, [&](void*) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, overrides, "net.exe");
    std::error_code ignored;
    for (const std::string tool : velkor::testing::kFakeToolNames) {
      fs::remove(native + tool + ".exe", ignored);
      fs::rename(native + tool + ".exe.velkor-aside", native + tool + ".exe", ignored);
    }
    fs::remove(native + "faketool.ini", ignored);
  });
  for (const std::string tool : velkor::testing::kFakeToolNames) {
    fs::remove(box.ProgramFolder() + tool + ".exe");
    if (fs::exists(native + tool + ".exe"))
      fs::rename(native + tool + ".exe", native + tool + ".exe.velkor-aside");
    fs::copy_file(faketool, native + tool + ".exe");
  }
  WriteWholeFile(native + "faketool.ini", velkor::testing::FakeToolIni("gpo_version_mismatch"));
  // Wine runs its own net.exe from the system folder unless told otherwise.
  RegSetKeyValueA(HKEY_CURRENT_USER, overrides, "net.exe", REG_SZ, "native", 7);
  box.WriteDatabase("a.tsv", RecordsOf({"1001", "3001", "1003", "1108", "1132", "1133"}));

  EXPECT_EQ(box.RunVelkor().exitCode, 1u);
  // Every tool ran (the policy checks because netdom named this host), and
  // reported as the scenario has it.
  EXPECT_EQ(box.Results("a.tsv"), "1001=0/0 3001=1/0 1003=0/0 1108=0/0 1132=0/0 1133=1/0");
  EXPECT_THAT(ReadWholeFile(LogFolder() + "VelkorTemp_NetShare.txt"), HasSubstr("SYSVOL"));
  EXPECT_EQ(box.IniValue("ERRORDESC"), "No Errors Found");
}

}  // namespace
}  // namespace velkor::e2e
