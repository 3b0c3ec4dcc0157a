// The database storage over files in memory. The fuzz target
// database_storage reads, updates and reads back any file; these cases pin
// the texts, the places of updates and the failures it cannot see.
#include "storage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "memory_files.h"
#include "tsv.h"

namespace nexdb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::MemoryFiles;

const std::string kPath = "C:\\Agent\\Config\\Databases\\dc.tsv";
const std::string kHeader =
    "RecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunctionID\tStatus\tErrorCode\tUpdatedAt";
const std::string kNow = MemoryFiles().now;
const MonResult kResult{"7", "8", "1001", "1", "error\r\n"};

// `results`: Status, ErrorCode and UpdatedAt.
std::string Record(const std::string& key, const std::string& functionId,
                   const std::string& results = "\t\t") {
  return key + "\t2\t" + key + "0\tTest " + key + "\tDC01\t1\t" + functionId + "\t" + results;
}

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

// Records 1 to `count`, of function IDs 1001 on, with the results given by key.
std::string Database(int count, const std::map<int, std::string>& results = {},
                     const std::string& end = "\r\n") {
  std::vector<std::string> lines{kHeader};
  for (int key = 1; key <= count; ++key) {
    const auto given = results.find(key);
    lines.push_back(Record(std::to_string(key), std::to_string(1000 + key),
                           given == results.end() ? "\t\t" : given->second + "\t" + kNow));
  }
  return Lines(lines, end);
}

std::string ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const StorageError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(DatabaseList, TsvFilesOfTheDatabasesFolderInNameOrderWhateverTheCase) {
  MemoryFiles files;
  const std::string databases = "C:\\Agent\\Config\\Databases\\";
  for (const char* name : {"b.TSV", "A.tsv", "c.txt", "x.tsv.tmp", ".tsv", "sub\\d.tsv"})
    files.files[databases + name] = "";
  files.files["C:\\Agent\\Config\\e.tsv"] = "";
  EXPECT_EQ(ListDatabases(files, "C:\\Agent\\Config\\"),
            (std::vector<std::string>{databases + "A.tsv", databases + "b.TSV"}));
  EXPECT_THAT(ErrorOf([&] { ListDatabases(files, ""); }), HasSubstr("no configuration folder"));
}

// Pages of twenty records (the fuzz target reads any database so), then
// empty ones. LF line ends and blank lines are read; CR LF is written.
TEST(DatabaseSession, PagesUntilEmptyOnesFromLfLinesAndBlankOnes) {
  MemoryFiles files;
  files.files[kPath] = Database(25, {}, "\n");
  files.files[kPath].insert(files.files[kPath].find('\n') + 1, "\n");
  DatabaseSession session(files);
  EXPECT_EQ(session.Open(kPath), 25u);
  EXPECT_THAT(ErrorOf([&] { session.Open(kPath); }), HasSubstr("CloseDB must come before the next OpenDB"));
  EXPECT_EQ(session.NextPage().keys.size(), 20u);
  EXPECT_THAT(session.NextPage().keys, ElementsAre("21", "22", "23", "24", "25"));
  EXPECT_TRUE(session.NextPage().keys.empty() && session.NextPage().keys.empty());
  session.Close();
  EXPECT_EQ(files.files[kPath], Database(25));
}

// The known columns come first whatever the header's order, then the others
// in file order; the header (its UTF-8 mark too) is written back unchanged.
TEST(DatabaseSession, KnownColumnsComeFirstWhateverTheHeaderOrder) {
  const std::string header =
      "\xEF\xBB\xBF"
      "Notes\tFunctionID\tRecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tStatus\tErrorCode\tUpdated"
      "At\r\n";
  MemoryFiles files;
  files.files[kPath] = header + "a note\t1003\tk1\tg\tt\tname\tdev\t1\t0\t0\told\r\n";
  DatabaseSession session(files);
  session.Open(kPath);
  const Page page = session.NextPage();
  EXPECT_THAT(page.keys, ElementsAre("k1"));
  EXPECT_THAT(page.columns[5], ElementsAre("1003"));
  EXPECT_THAT(page.columns[9], ElementsAre("a note"));
  session.Update({{"k1", "1", "E"}});
  session.Close();
  EXPECT_EQ(files.files[kPath], header + "a note\t1003\tk1\tg\tt\tname\tdev\t1\t1\tE\t" + kNow + "\r\n");
}

// An update reaches its record in the page, in a page not read yet or in one
// already written, and adds to an earlier update of it; an absent value
// leaves its field. Texts lose their line breaks and tabs. A call naming an
// unknown key stores nothing. All is written at close, in one step.
TEST(DatabaseSession, UpdatesReachTheirRecordsWhereverTheyAre) {
  MemoryFiles files;
  files.files[kPath] = Database(45);
  DatabaseSession session(files);
  session.Open(kPath);
  std::vector<RowUpdate> rows;
  for (const std::string& key : session.NextPage().keys) rows.push_back({key, std::nullopt, std::nullopt});
  rows[0] = {"1", "1", "a\tb\rc\nd\r\n"};
  rows[1].status = "0";
  rows.push_back({"30", "1", "ahead"});  // the page's keys in its order, and one more
  session.Update(rows);
  const std::vector<RowUpdate> unknown{{"2", "1", "x"}, {"nope", "1", "x"}};
  EXPECT_THAT(ErrorOf([&] { session.Update(unknown); }), HasSubstr("no record has the RecordKey \"nope\""));
  EXPECT_EQ(session.NextPage().columns[6][9], "1");  // record 30 as its page shows it
  session.NextPage();
  session.Update({{"5", "1", "behind"}, {"41", "0", std::nullopt}});
  session.Update({{"5", std::nullopt, "again"}});
  session.Close();
  EXPECT_EQ(files.files[kPath],
            Database(45, {{1, "1\ta b c d"}, {2, "0\t"}, {5, "1\tagain"}, {30, "1\tahead"}, {41, "0\t"}}));
  EXPECT_THAT(files.PathsStartingWith(kPath + "."), IsEmpty());
}

// OpenDB and SetMonResults refuse a bad file with a text that says why and
// leave it alone; nothing stays open after a refused OpenDB.
TEST(DatabaseFiles, BadFilesAreRefusedAndLeftAlone) {
  const struct {
    std::optional<std::string> content;  // none: no such file
    std::string error;
  } cases[] = {
      {std::nullopt, "not found"},
      {"", "dc.tsv: the file is empty: it has no header line"},
      {"RecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunction ID\tErrorCode\tUpdatedAt\r\n",
       "dc.tsv: the header line lacks the column(s) FunctionID, Status"},
      {Lines({kHeader, Record("1", "1001"), "2\t2\t20\tTest\tDC01\t1\t1002\t\t"}),
       "dc.tsv: line 3 has 9 fields where the header names 10"},
      {Lines({kHeader, Record("1", std::string(70000, '1'))}), "dc.tsv: line 2 is longer than 65536 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    MemoryFiles files;
    if (c.content) files.files[kPath] = *c.content;
    const auto before = files.files;
    DatabaseSession session(files);
    EXPECT_THAT(ErrorOf([&] { session.Open(kPath); }), HasSubstr(c.error));
    EXPECT_THAT(ErrorOf([&] { session.NextPage(); }), HasSubstr("OpenDB must come first"));
    EXPECT_THAT(ErrorOf([&] { SetMonResults(files, kPath, kResult); }), HasSubstr(c.error));
    EXPECT_EQ(files.files, before);
  }
}

// Reader and writer share the line limit: a record of exactly the limit is
// written and read back; an update that would grow one past it is refused
// when it is made, and the database still closes with everything else.
TEST(DatabaseFiles, RecordsReachTheLineLimitAndNoFurther) {
  MemoryFiles files;
  files.files[kPath] = Database(2);
  const std::string huge(kMaxLineBytes, 'x');
  const std::string fits(kMaxLineBytes - Record("1", "1001", "1\t\t" + kNow).size(), 'e');
  DatabaseSession session(files);
  session.Open(kPath);
  session.NextPage();
  const std::vector<RowUpdate> grown{{"1", "1", "0"}, {"2", "1", huge}};
  EXPECT_THAT(ErrorOf([&] { session.Update(grown); }),
              HasSubstr("the record with the RecordKey \"2\" would be longer than 65536 bytes"));
  session.Update({{"1", "1", fits}});
  session.Close();
  EXPECT_EQ(files.files[kPath], Database(2, {{1, "1\t" + fits}}));
  EXPECT_EQ(session.Open(kPath), 2u);
  EXPECT_EQ(session.NextPage().columns[7][0], fits);
  session.Close();
  const MonResult hugeResult{"7", "8", "1001", "1", huge};
  EXPECT_THAT(ErrorOf([&] { SetMonResults(files, kPath, hugeResult); }),
              HasSubstr("a record would be longer than 65536 bytes"));
  EXPECT_EQ(files.files[kPath], Database(2, {{1, "1\t" + fits}}));
}

// Every record of exactly that function ID takes the result; without one, a
// record is added with the next numeric RecordKey.
TEST(SetMonResults, UpdatesEveryRecordOfTheFunctionIdOrAddsOne) {
  MemoryFiles files;
  files.files[kPath] = Lines({kHeader, Record("1", "1001"), Record("abc", "1003"),
                              Record("0012", "1001", "0\t0\tx"), Record("4", " 1001")});
  SetMonResults(files, kPath, kResult);
  SetMonResults(files, kPath, {"7", "8", "0", "1", "0"});
  EXPECT_EQ(files.files[kPath], Lines({kHeader, Record("1", "1001", "1\terror\t" + kNow),
                                       Record("abc", "1003"), Record("0012", "1001", "1\terror\t" + kNow),
                                       Record("4", " 1001"), "13\t7\t8\t\t\t1\t0\t1\t0\t" + kNow}));
  const MonResult noId{"7", "8", "", "1", "0"};
  EXPECT_THAT(ErrorOf([&] { SetMonResults(files, kPath, noId); }), HasSubstr("no function ID given"));
}

}  // namespace
}  // namespace nexdb
