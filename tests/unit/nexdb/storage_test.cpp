// The database storage over files in memory, as Velkor uses it. The fuzz
// target database_storage reads, updates and reads back any file, and sees
// bad files and failing disks leave it alone; these cases pin what it cannot
// see: the bytes written, the line limit and the keys of added records.
#include "storage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "memory_files.h"
#include "tsv.h"

namespace nexdb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::MemoryFiles;
using ::testing::ThrowsMessage;

const std::string kPath = "C:\\Agent\\Config\\Databases\\dc.tsv";
const std::string kHeader =
    "RecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunctionID\tStatus\tErrorCode\tUpdatedAt";
const std::string kNow = MemoryFiles().now;

// `results`: Status, ErrorCode and UpdatedAt.
std::string Record(const std::string& key, const std::string& functionId,
                   const std::string& results = "\t\t") {
  return key + "\t2\t" + key + "0\tTest " + key + "\tDC01\t1\t" + functionId + "\t" + results;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// Records 1 to `count`, of function IDs 1001 on, with Status and ErrorCode by key.
std::string Database(int count, const std::map<int, std::string>& results = {}) {
  std::vector<std::string> lines{kHeader};
  for (int key = 1; key <= count; ++key) {
    const auto given = results.find(key);
    lines.push_back(Record(std::to_string(key), std::to_string(1000 + key),
                           given == results.end() ? "\t\t" : given->second + "\t" + kNow));
  }
  return Lines(lines);
}

TEST(DatabaseList, TsvFilesOfTheDatabasesFolderInNameOrderWhateverTheCase) {
  MemoryFiles files;
  const std::string databases = "C:\\Agent\\Config\\Databases\\";
  for (const char* name : {"b.TSV", "A.tsv", "c.txt", "x.tsv.tmp", ".tsv", "sub\\d.tsv"})
    files.files[databases + name] = "";
  EXPECT_EQ(ListDatabases(files, "C:\\Agent\\Config\\"),
            (std::vector<std::string>{databases + "A.tsv", databases + "b.TSV"}));
}

// Pages of twenty records, then empty ones, read from LF lines and blank
// ones. A key beyond the page, even before the first one, reaches its record
// in a page not read yet. An absent value leaves its field, a row without any
// its record; texts lose their line breaks and tabs. All is written at close,
// in CR LF lines, with nothing left beside the database.
TEST(DatabaseSession, UpdatesOfAPageAreWrittenAtClose) {
  MemoryFiles files;
  files.files[kPath] = Database(25);
  std::erase(files.files[kPath], '\r');
  files.files[kPath].insert(files.files[kPath].find('\n') + 1, "\n");
  DatabaseSession session(files);
  EXPECT_EQ(session.Open(kPath), 25u);
  session.Update({{"22", "1", "ahead"}});
  session.NextPage();
  session.Update({{"1", "1", "a\tb\rc\nd\r\n"}, {"2", "0", std::nullopt}, {"3", std::nullopt, std::nullopt}});
  EXPECT_THAT(session.NextPage().keys, ElementsAre("21", "22", "23", "24", "25"));
  EXPECT_TRUE(session.NextPage().keys.empty());
  session.Close();
  EXPECT_EQ(files.files[kPath], Database(25, {{1, "1\ta b c d"}, {2, "0\t"}, {22, "1\tahead"}}));
  EXPECT_EQ(files.files.size(), 1u);
}

// Reader and writer share the line limit: a record of exactly the limit is
// written and read back, one byte more is refused and the file kept (an
// update's refusal is run end to end).
TEST(DatabaseFiles, RecordsReachTheLineLimitAndNoFurther) {
  MemoryFiles files;
  files.files[kPath] = Database(2);
  const std::string fits(kMaxLineBytes - Record("1", "1001", "1\t\t" + kNow).size(), 'e');
  MonResult result{"7", "8", "1001", "1", fits};
  SetMonResults(files, kPath, result);
  const std::string written = files.files[kPath];
  EXPECT_EQ(written, Database(2, {{1, "1\t" + fits}}));
  DatabaseSession session(files);
  EXPECT_EQ(session.Open(kPath), 2u);
  EXPECT_EQ(session.NextPage().columns[7][0], fits);
  session.Close();
  result.errorCode += "e";
  EXPECT_THAT([&] { SetMonResults(files, kPath, result); },
              ThrowsMessage<StorageError>(HasSubstr("a record would be longer than 65536 bytes")));
  EXPECT_EQ(files.files[kPath], written);
}

// Every record of exactly that function ID takes the result; without one, a
// record is added with the next numeric RecordKey.
TEST(SetMonResults, UpdatesEveryRecordOfTheFunctionIdOrAddsOne) {
  MemoryFiles files;
  files.files[kPath] = Lines({kHeader, Record("1", "1001"), Record("abc", "1003"),
                              Record("0012", "1001", "0\t0\tx"), Record("4", " 1001")});
  SetMonResults(files, kPath, {"7", "8", "1001", "1", "error\r\n"});
  SetMonResults(files, kPath, {"7", "8", "0", "1", "0"});
  EXPECT_EQ(files.files[kPath], Lines({kHeader, Record("1", "1001", "1\terror\t" + kNow),
                                       Record("abc", "1003"), Record("0012", "1001", "1\terror\t" + kNow),
                                       Record("4", " 1001"), "13\t7\t8\t\t\t1\t0\t1\t0\t" + kNow}));
  const MonResult noId{"7", "8", "", "1", "0"};
  EXPECT_THAT([&] { SetMonResults(files, kPath, noId); },
              ThrowsMessage<StorageError>(HasSubstr("no function ID given")));
}

}  // namespace
}  // namespace nexdb
