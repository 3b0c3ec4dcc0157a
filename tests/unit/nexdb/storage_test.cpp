// The database storage over files in memory, as Velkor uses it: what the fuzz
// target database_storage cannot see of any file it updates, the bytes
// written, the line limit and results by function ID.
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

using ::testing::HasSubstr;
using testing::MemoryFiles;
using ::testing::ThrowsMessage;

const std::string kFolder = "C:\\Agent\\Config\\Databases\\";
const std::string kPath = kFolder + "dc.tsv";
// A column the storage does not know comes first: the known ones are found by name.
const std::string kHeader =
    "X\tRecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunctionID\tStatus\tErrorCode\tUpdatedAt\r"
    "\n";
const std::string kNow = MemoryFiles().Now();

// A line of the record; `results`: Status, ErrorCode and UpdatedAt.
std::string Record(const std::string& key, const std::string& id, const std::string& results = "\t\t") {
  return "n\t" + key + "\t2\t3\tT\tDC01\t1\t" + id + "\t" + results + "\r\n";
}

// Records 1 to `count`, of function IDs 1001 on, with Status and ErrorCode by key.
std::string Database(int count, const std::map<int, std::string>& results = {}) {
  std::string text = kHeader;
  for (int key = 1; key <= count; ++key) {
    const auto given = results.find(key);
    text += Record(std::to_string(key), std::to_string(1000 + key),
                   given == results.end() ? "\t\t" : given->second + "\t" + kNow);
  }
  return text;
}

// The "*.tsv" files are listed in name order whatever the case. Pages of
// twenty records, then empty ones, read from LF lines and blank ones. A key
// beyond the page, even before the first one, reaches its record in a page not
// read yet. An absent value leaves its field, a row without any its record;
// texts lose their line breaks and tabs. All is written at close, in CR LF
// lines, with nothing left beside the database.
TEST(DatabaseSession, ListedDatabasesAreUpdatedAPageAtATime) {
  MemoryFiles files;
  for (const char* name : {"E.TSV", "c.txt", "x.tsv.tmp", ".tsv"}) files.files[kFolder + name] = "";
  files.files[kPath] = Database(25);
  std::erase(files.files[kPath], '\r');
  files.files[kPath].insert(files.files[kPath].find('\n') + 1, "\n");
  DatabaseSession session(files);
  EXPECT_EQ(session.Open(kPath), 25u);
  session.Update({{"22", "1", "ahead"}});
  session.NextPage();
  session.Update({{"1", "1", "a\tb\rc\nd\r\n"}, {"2", "0", std::nullopt}, {"3", std::nullopt, std::nullopt}});
  EXPECT_EQ(session.NextPage().keys, (std::vector<std::string>{"21", "22", "23", "24", "25"}));
  EXPECT_TRUE(session.NextPage().keys.empty());
  session.Close();
  EXPECT_EQ(files.files[kPath], Database(25, {{1, "1\ta b c d"}, {2, "0\t"}, {22, "1\tahead"}}));
  EXPECT_EQ(ListDatabases(files, "C:\\Agent\\Config\\"),
            (std::vector<std::string>{kPath, kFolder + "E.TSV"}));
  EXPECT_EQ(files.files.size(), 5u);
}

// Every record of exactly that function ID takes the result, the longest up to
// the line limit, which the next call reads back and refuses a byte more of,
// keeping the file. Without one, a record is added with the next numeric key.
TEST(SetMonResults, UpdatesEveryRecordOfTheFunctionIdUpToTheLineLimitOrAddsOne) {
  MemoryFiles files;
  files.files[kPath] = kHeader + Record("1", "1001") + Record("abc", "1003") +
                       Record("0012", "1001", "0\t0\tx") + Record("4", " 1001");
  const std::string fits(kMaxLineBytes + 2 - Record("0012", "1001", "1\t\t" + kNow).size(), 'e');
  MonResult result{"7", "8", "1001", "1", fits + "\r\n"};
  SetMonResults(files, kPath, result);
  SetMonResults(files, kPath, {"7", "8", "0", "1", "0"});
  const std::string written = files.files[kPath];
  EXPECT_EQ(written, kHeader + Record("1", "1001", "1\t" + fits + "\t" + kNow) + Record("abc", "1003") +
                         Record("0012", "1001", "1\t" + fits + "\t" + kNow) + Record("4", " 1001") +
                         "\t13\t7\t8\t\t\t1\t0\t1\t0\t" + kNow + "\r\n");
  result.errorCode = fits + "e";
  EXPECT_THAT([&] { SetMonResults(files, kPath, result); },
              ThrowsMessage<StorageError>(HasSubstr("a record would be longer than 65536 bytes")));
  result.functionId.clear();
  EXPECT_THAT([&] { SetMonResults(files, kPath, result); },
              ThrowsMessage<StorageError>(HasSubstr("no function ID given")));
  EXPECT_EQ(files.files[kPath], written);
}

}  // namespace
}  // namespace nexdb
