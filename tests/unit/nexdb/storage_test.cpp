#include "storage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "memory_files.h"
#include "tsv.h"

namespace nexdb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::MemoryFiles;

const std::string kFolder = "C:\\Agent\\Nexagent\\Config";
const std::string kPath = kFolder + "\\Databases\\dc.tsv";
const std::string kHeader =
    "RecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunctionID\tStatus\tErrorCode\tUpdatedAt";

std::string Record(const std::string& key, const std::string& functionId, const std::string& status = "",
                   const std::string& errorCode = "", const std::string& updatedAt = "") {
  return key + "\t2\t" + key + "0\tTest " + key + "\tDC01\t1\t" + functionId + "\t" + status + "\t" +
         errorCode + "\t" + updatedAt;
}

// A database of `count` records with keys 1, 2, ... and function IDs 1001, 1002, ...
std::string Database(int count, const std::string& end = "\r\n") {
  std::string text = kHeader + end;
  for (int i = 1; i <= count; ++i) text += Record(std::to_string(i), std::to_string(1000 + i)) + end;
  return text;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const StorageError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(DatabaseList, TsvFilesOfTheDatabasesFolderInCaseInsensitiveOrder) {
  MemoryFiles files;
  for (const char* name : {"b.TSV", "A.tsv", "c.txt", "x.tsv.tmp", ".tsv", "sub\\d.tsv", "C.tsv"})
    files.files[kFolder + "\\Databases\\" + name] = "";
  files.files[kFolder + "\\e.tsv"] = "";
  const std::string databases = kFolder + "\\Databases\\";
  const std::vector<std::string> expected = {databases + "A.tsv", databases + "b.TSV", databases + "C.tsv"};
  EXPECT_EQ(ListDatabases(files, kFolder), expected);
  EXPECT_EQ(ListDatabases(files, kFolder + "\\"), expected);
  EXPECT_TRUE(ListDatabases(files, "C:\\Elsewhere").empty());
  EXPECT_THAT(ErrorOf([&] { ListDatabases(files, ""); }), HasSubstr("no configuration folder"));
}

TEST(DatabaseSession, PagesOfTwentyRowsUntilAnEmptyOne) {
  MemoryFiles files;
  files.files[kPath] = Database(45);
  {
    DatabaseSession session(files);
    EXPECT_EQ(session.Open(kPath), 45u);
    std::vector<std::size_t> sizes;
    for (int i = 0; i < 5; ++i) sizes.push_back(session.NextPage().keys.size());
    EXPECT_THAT(sizes, ElementsAre(20, 20, 5, 0, 0));
  }
  DatabaseSession again(files);
  again.Open(kPath);
  again.NextPage();
  const Page second = again.NextPage();
  EXPECT_EQ(second.keys.front(), "21");
  ASSERT_EQ(second.columns.size(), 9u);  // GroupID .. UpdatedAt
  EXPECT_EQ(second.columns[5].front(), "1021");
  EXPECT_EQ(second.columns[2].back(), "Test 40");
}

TEST(DatabaseSession, ReadsLfOrCrlfAndWritesCrlf) {
  for (const std::string end : {"\n", "\r\n"}) {
    MemoryFiles files;
    files.files[kPath] = Database(3, end) + end + end;  // blank lines are no records
    DatabaseSession session(files);
    EXPECT_EQ(session.Open(kPath), 3u);
    EXPECT_EQ(session.NextPage().keys.size(), 3u);
    session.Close();
    EXPECT_EQ(files.files[kPath], Database(3));
  }
}

TEST(DatabaseSession, KnownColumnsComeFirstWhateverTheHeaderOrder) {
  MemoryFiles files;
  files.files[kPath] =
      "\xEF\xBB\xBFNotes\tFunctionID\tRecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tStatus\tErrorC"
      "ode\t"
      "UpdatedAt\r\n"
      "a note\t1003\tk1\tg\tt\tname\tdev\t1\t0\t0\told\r\n";
  DatabaseSession session(files);
  session.Open(kPath);
  const Page page = session.NextPage();
  EXPECT_THAT(page.keys, ElementsAre("k1"));
  ASSERT_EQ(page.columns.size(), 10u);
  EXPECT_THAT(page.columns[5], ElementsAre("1003"));
  EXPECT_THAT(page.columns[9], ElementsAre("a note"));
  session.Update({{"k1", "1", "E"}});
  session.Close();
  EXPECT_EQ(files.files[kPath],
            "\xEF\xBB\xBFNotes\tFunctionID\tRecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tStatus\t"
            "ErrorCode\t"
            "UpdatedAt\r\n"
            "a note\t1003\tk1\tg\tt\tname\tdev\t1\t1\tE\t2024-05-06 07:08:09\r\n");
}

TEST(DatabaseSession, UpdateSetsTheGivenFieldsAndTheTime) {
  MemoryFiles files;
  files.files[kPath] =
      Lines({kHeader, Record("1", "1001", "0", "0", "before"), Record("2", "1002", "0", "old", "before"),
             Record("3", "1003", "0", "0", "before"), Record("4", "1004", "0", "0", "before")});
  DatabaseSession session(files);
  session.Open(kPath);
  session.NextPage();
  session.Update({{"1", "1", "The service does not exist.\r\n"},
                  {"2", "1", std::nullopt},
                  {"3", std::nullopt, std::nullopt},
                  {"4", std::nullopt, "a\tb\nc"}});
  session.Close();
  EXPECT_EQ(
      files.files[kPath],
      Lines({kHeader, Record("1", "1001", "1", "The service does not exist.", "2024-05-06 07:08:09"),
             Record("2", "1002", "1", "old", "2024-05-06 07:08:09"), Record("3", "1003", "0", "0", "before"),
             Record("4", "1004", "0", "a b c", "2024-05-06 07:08:09")}));
  EXPECT_THAT(files.PathsStartingWith(kPath + "."), ::testing::IsEmpty());
}

TEST(DatabaseSession, RecordsSharingAKeyEachKeepTheirOwnResult) {
  MemoryFiles files;
  files.files[kPath] =
      Lines({kHeader, Record("7", "1001", "0", "0", "before"), Record("7", "1003", "0", "0", "before")});
  DatabaseSession session(files);
  session.Open(kPath);
  session.NextPage();
  session.Update({{"7", "1", "share"}, {"7", "0", "connectivity"}});  // the page's keys, in its order
  session.Close();
  EXPECT_EQ(files.files[kPath], Lines({kHeader, Record("7", "1001", "1", "share", "2024-05-06 07:08:09"),
                                       Record("7", "1003", "0", "connectivity", "2024-05-06 07:08:09")}));
}

TEST(DatabaseSession, AnUnknownKeyStoresNothingOfTheCall) {
  MemoryFiles files;
  files.files[kPath] = Database(3);
  DatabaseSession session(files);
  session.Open(kPath);
  session.NextPage();
  EXPECT_THAT(ErrorOf([&] {
                session.Update({{"1", "1", "x"}, {"nope", "1", "x"}});
              }),
              HasSubstr("no record has the RecordKey \"nope\""));
  session.Update({{"2", "1", "x"}});
  session.Close();
  EXPECT_EQ(files.files[kPath], Lines({kHeader, Record("1", "1001"), Record("2", "1002", "1", "x", files.now),
                                       Record("3", "1003")}));
}

TEST(DatabaseSession, RowsOutsideThePageAreUpdatedToo) {
  MemoryFiles files;
  files.files[kPath] = Database(45);
  DatabaseSession session(files);
  session.Open(kPath);
  session.NextPage();
  session.Update({{"30", "1", "ahead"}, {"45", std::nullopt, "last"}});
  const Page second = session.NextPage();
  EXPECT_EQ(second.columns[6][9], "1");  // record 30 as the page shows it
  session.NextPage();
  session.Update({{"5", "1", "behind"}, {"41", "0", "page"}});
  session.Update({{"5", std::nullopt, "behind again"}});
  session.Close();

  std::string expected = kHeader + "\r\n";
  for (int i = 1; i <= 45; ++i) {
    const std::string key = std::to_string(i), id = std::to_string(1000 + i);
    if (i == 5)
      expected += Record(key, id, "1", "behind again", files.now);
    else if (i == 30)
      expected += Record(key, id, "1", "ahead", files.now);
    else if (i == 41)
      expected += Record(key, id, "0", "page", files.now);
    else if (i == 45)
      expected += Record(key, id, "", "last", files.now);
    else
      expected += Record(key, id);
    expected += "\r\n";
  }
  EXPECT_EQ(files.files[kPath], expected);
  EXPECT_THAT(files.PathsStartingWith(kPath + "."), ::testing::IsEmpty());
}

TEST(DatabaseSession, CallsOutOfOrderAreRefused) {
  MemoryFiles files;
  files.files[kPath] = Database(2);
  DatabaseSession session(files);
  const std::function<void()> calls[] = {
      [&] { session.NextPage(); },
      [&] {
        session.Update({{"1", "1", "1"}});
      },
      [&] { session.Close(); },
  };
  for (const auto& call : calls) EXPECT_THAT(ErrorOf(call), HasSubstr("OpenDB must come first"));
  session.Open(kPath);
  EXPECT_THAT(ErrorOf([&] { session.Open(kPath); }), HasSubstr("CloseDB must come before the next OpenDB"));
  session.Close();
  for (const auto& call : calls) EXPECT_THAT(ErrorOf(call), HasSubstr("OpenDB must come first"));
  EXPECT_EQ(files.files[kPath], Database(2));
}

// Every bad file is refused by OpenDB and by SetMonResults, with a text that
// says why, and neither leaves a trace.
TEST(DatabaseFiles, BadFilesAreRefusedAndLeftAlone) {
  const struct {
    const char* name;
    std::optional<std::string> content;  // none: no such file
    bool locked;
    std::string error;
  } cases[] = {
      {"missing", std::nullopt, false, "not found"},
      {"locked", Database(2), true, "locked"},
      {"empty", "", false, "dc.tsv: the file is empty: it has no header line"},
      {"no FunctionID or Status",
       "RecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunction ID\tErrorCode\tUpdatedAt\r\n",
       false, "dc.tsv: the header line lacks the column(s) FunctionID, Status"},
      {"short line", Lines({kHeader, Record("1", "1001"), "2\t2\t20\tTest\tDC01\t1\t1002\t\t"}), false,
       "dc.tsv: line 3 has 9 fields where the header names 10"},
      {"long line", Lines({kHeader, Record("1", std::string(70000, '1'))}), false,
       "dc.tsv: line 2 is longer than 65536 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFiles files;
    if (c.content) files.files[kPath] = *c.content;
    if (c.locked) files.locked.insert(kPath);
    const auto before = files.files;
    DatabaseSession session(files);
    EXPECT_THAT(ErrorOf([&] { session.Open(kPath); }), HasSubstr(c.error));
    EXPECT_THAT(ErrorOf([&] { session.NextPage(); }), HasSubstr("OpenDB must come first"));
    EXPECT_THAT(ErrorOf([&] {
                  SetMonResults(files, kPath, {"1", "2", "1001", "1", "0"});
                }),
                HasSubstr(c.error));
    EXPECT_EQ(files.files, before);
  }
}

// A database is replaced in one step or not at all: a failure while writing
// the temporary file or when putting it in place, or a database never closed,
// leaves the old content and no temporary file.
TEST(DatabaseFiles, ADatabaseIsReplacedWholeOrNotAtAll) {
  const struct {
    const char* name;
    std::function<void(MemoryFiles&)> fault;
    bool close;
  } cases[] = {
      {"replace fails", [](MemoryFiles& f) { f.failReplace = true; }, true},
      {"write fails", [](MemoryFiles& f) { f.failWrite = true; }, true},
      {"read fails", [](MemoryFiles& f) { f.failReadAfterBytes = 150; }, true},
      {"never closed", [](MemoryFiles&) {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFiles files;
    files.files[kPath] = Database(45);
    {
      DatabaseSession session(files);
      session.Open(kPath);
      session.NextPage();
      session.Update({{"3", "1", "x"}});
      c.fault(files);
      if (c.close) {
        try {
          session.NextPage();
          session.NextPage();
          session.Update({{"1", "1", "x"}});  // a record already written: a second pass at the end
        } catch (const StorageError&) {
          EXPECT_THAT(ErrorOf([&] { session.Update({{"1", "1", "x"}}); }), HasSubstr("cannot read"));
        }
        EXPECT_NE(ErrorOf([&] { session.Close(); }), "(no error)");
        EXPECT_THAT(ErrorOf([&] { session.Close(); }), HasSubstr("OpenDB must come first"));
      }
    }
    EXPECT_EQ(files.files[kPath], Database(45));
    EXPECT_THAT(files.PathsStartingWith(kPath + "."), ::testing::IsEmpty());
    files = MemoryFiles{};
    files.files[kPath] = Database(3);
    c.fault(files);
    if (c.close) {
      EXPECT_NE(ErrorOf([&] { SetMonResults(files, kPath, {"1", "2", "1002", "1", "0"}); }), "(no error)");
      EXPECT_EQ(files.files[kPath], Database(3));
      EXPECT_THAT(files.PathsStartingWith(kPath + "."), ::testing::IsEmpty());
    }
  }
}

// A database is never written in a form it cannot be read back in.
// Reader and writer share the line limit: a record of exactly the limit is
// written and read back; an update that would grow one past it is refused
// when it is made, and the database still closes with everything else.
TEST(DatabaseFiles, RecordsReachTheLineLimitAndNoFurther) {
  MemoryFiles files;
  files.files[kPath] = Database(2);
  const std::string huge(kMaxLineBytes, 'x');
  const std::size_t fit = kMaxLineBytes - Record("1", "1001", "1", "", files.now).size();
  DatabaseSession session(files);
  session.Open(kPath);
  session.NextPage();
  EXPECT_THAT(ErrorOf([&] {
                session.Update({{"1", "1", "0"}, {"2", "1", huge}});
              }),
              HasSubstr("the record with the RecordKey \"2\" would be longer than 65536 bytes"));
  session.Update({{"1", "1", std::string(fit, 'e')}});
  session.Close();
  const std::string written =
      Lines({kHeader, Record("1", "1001", "1", std::string(fit, 'e'), files.now), Record("2", "1002")});
  EXPECT_EQ(files.files[kPath], written);
  EXPECT_EQ(session.Open(kPath), 2u);
  EXPECT_EQ(session.NextPage().columns[7][0].size(), fit);
  session.Close();
  EXPECT_THAT(ErrorOf([&] {
                SetMonResults(files, kPath, {"1", "1", "1001", "1", huge});
              }),
              HasSubstr("a record would be longer than 65536 bytes"));
  EXPECT_EQ(files.files[kPath], written);
}

TEST(SetMonResults, UpdatesEveryRecordOfTheFunctionId) {
  MemoryFiles files;
  files.files[kPath] = Lines({kHeader, Record("1", "1001"), Record("2", "1003"),
                              Record("3", "1001", "0", "0", "x"), Record("4", " 1001")});
  SetMonResults(files, kPath, {"9", "9", "1001", "1", "error\r\n"});
  EXPECT_EQ(files.files[kPath],
            Lines({kHeader, Record("1", "1001", "1", "error", files.now), Record("2", "1003"),
                   Record("3", "1001", "1", "error", files.now), Record("4", " 1001")}));
}

TEST(SetMonResults, AppendsARecordWithANewKeyWhenNoneHasTheFunctionId) {
  MemoryFiles files;
  files.files[kPath] = Lines({kHeader, Record("7", "1001"), Record("abc", "1003"), Record("0012", "1005")});
  SetMonResults(files, kPath, {"1", "1", "0", "1", "0"});
  EXPECT_EQ(files.files[kPath], Lines({kHeader, Record("7", "1001"), Record("abc", "1003"),
                                       Record("0012", "1005"), "13\t1\t1\t\t\t1\t0\t1\t0\t" + files.now}));
  EXPECT_THAT(ErrorOf([&] {
                SetMonResults(files, kPath, {"1", "1", "", "1", "0"});
              }),
              HasSubstr("no function ID given"));
}

TEST(SetMonResults, AnOpenDatabaseIsNotChangedUnderneath) {
  MemoryFiles files;
  files.files[kPath] = Database(2);
  DatabaseSession session(files);
  session.Open(kPath);
  EXPECT_THAT(ErrorOf([&] {
                SetMonResults(files, kPath, {"1", "1", "1001", "1", "0"});
              }),
              HasSubstr("in use"));
  session.Close();
  EXPECT_EQ(files.files[kPath], Database(2));
}

}  // namespace
}  // namespace nexdb
