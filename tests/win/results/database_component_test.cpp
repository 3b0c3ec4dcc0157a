// NexDBInterface.dll registered with regsvr32 in the test prefix, created and
// called through Velkor's own wrappers. The storage rules are unit-tested;
// these tests show what only the registered server and real files do.
#include "results/database_component.h"

#include <comdef.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/com.h"
#include "platform/handles.h"
#include "support/com_server.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace velkor {
namespace {

using platform::Variant;
using ::testing::HasSubstr;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

const std::string kHeader =
    "RecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunctionID\tStatus\tErrorCode\tUpdatedAt";

std::string Record(int key, const std::string& functionId, const std::string& tail = "\t\t") {
  return std::to_string(key) + "\t1\t" + std::to_string(key) + "\tTest " + std::to_string(key) +
         "\tDC01\t1\t" + functionId + "\t" + tail;
}

// `text` with every UpdatedAt time stamp as "<time>": a run may pass a second's border.
std::string WithTimesMasked(const std::string& text) {
  return std::regex_replace(text, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"), "<time>");
}

std::string Database(int records, const char* end) {
  std::string text = kHeader + end;
  for (int key = 1; key <= records; ++key) text += Record(key, std::to_string(1000 + key)) + end;
  return text;
}

const std::string kRoot = "C:\\nexdb-tests\\";

std::string Dll() { return testing::BinFolder() + "NexDBInterface.dll"; }

std::string ClassKey() {
  wchar_t id[40] = {};
  StringFromGUID2(kDatabaseComponentClassId, id, 40);
  return "CLSID\\" + platform::WideToAnsi(id);
}

std::optional<std::string> ClassesValue(const std::string& key, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::string(value);
}

class DatabaseComponentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(testing::RunRegsvr32(Dll(), false), 0u); }
  // The prefix is left as it was found.
  static void TearDownTestSuite() {
    EXPECT_EQ(testing::RunRegsvr32(Dll(), true), 0u);
    std::error_code ignored;
    fs::remove_all(kRoot, ignored);
  }

  void SetUp() override {
    root_ =
        "C:\\nexdb-tests\\" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    fs::create_directories(root_);
    ASSERT_EQ(apartment_.result(), S_OK);
    ASSERT_EQ(database_.Create(), S_OK);
  }
  void TearDown() override {
    database_.Release();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::string ConfigFolder() const { return root_ + "\\Config"; }
  std::string AddDatabase(const std::string& name, const std::string& content) const {
    const std::string path = ConfigFolder() + "\\Databases\\" + name;
    WriteWholeFile(path, content);
    return path;
  }
  std::vector<std::string> FilesBeside(const std::string& path) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
      names.push_back(entry.path().filename().string());
    return names;
  }

  std::string root_;
  platform::ComApartment apartment_;  // first in, last out
  DatabaseComponentClient database_;
};

TEST_F(DatabaseComponentTest, RegisteredAsAnInProcessServerOfThisWidth) {
  EXPECT_TRUE(
      EqualsIgnoringAsciiCase(ClassesValue(ClassKey() + "\\InprocServer32", nullptr).value_or(""), Dll()));
  EXPECT_EQ(ClassesValue(ClassKey() + "\\InprocServer32", "ThreadingModel"), "Apartment");

  ASSERT_EQ(testing::RunRegsvr32(Dll(), true), 0u);
  EXPECT_EQ(ClassesValue(ClassKey() + "\\InprocServer32", nullptr), std::nullopt);
  EXPECT_EQ(database_.Create(), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(database_);
  ResultComponentClient results;
  EXPECT_EQ(results.Create(), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(testing::RunRegsvr32(Dll(), false), 0u);
  EXPECT_EQ(results.Create(), S_OK);
  EXPECT_EQ(database_.Create(), S_OK);
}

TEST_F(DatabaseComponentTest, PagesOfTwentyThenAnEmptyPageAndTheUpdatesWrittenAtClose) {
  const std::string path = AddDatabase("dc.tsv", Database(45, "\n"));
  DatabasePaths paths;
  ASSERT_TRUE(database_.GetDBPaths(ConfigFolder(), paths));
  ASSERT_EQ(paths.DatabaseCount(), 1);
  std::string count;
  ASSERT_TRUE(database_.OpenDB(*paths.Element(0), count));
  EXPECT_EQ(count, "45");

  std::vector<long> rows;
  std::vector<std::string> firstIds;
  for (int call = 0; call < 4; ++call) {
    RecordPage page;
    ASSERT_TRUE(database_.GetRecords(page));
    rows.push_back(page.RowCount().value_or(-1));
    firstIds.push_back(page.FunctionIdText(0).value_or("(none)"));
    EXPECT_EQ(page.columns[23].ArrayBounds()->upper, -1);  // padding columns are empty arrays
    if (call == 0) {
      EXPECT_EQ(page.columns[2].Text(19), "Test 20");
      RecordResults results(*page.RowCount());
      results.Set(0, "1", "The service does not exist.\r\n");
      results.Set(2, "0", "0");
      ASSERT_TRUE(database_.UpdateRecords(page, results));  // row 1 keeps its empty elements
    }
  }
  EXPECT_EQ(rows, (std::vector<long>{20, 20, 5, -1}));
  EXPECT_EQ(firstIds, (std::vector<std::string>{"1001", "1021", "1041", "(none)"}));
  ASSERT_TRUE(database_.CloseDB());

  const std::string text = WithTimesMasked(ReadWholeFile(path));
  std::string expected = kHeader + "\r\n" + Record(1, "1001", "1\tThe service does not exist.\t<time>") +
                         "\r\n" + Record(2, "1002") + "\r\n" + Record(3, "1003", "0\t0\t<time>") + "\r\n";
  for (int key = 4; key <= 45; ++key) expected += Record(key, std::to_string(1000 + key)) + "\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_THAT(FilesBeside(path), ::testing::ElementsAre("dc.tsv"));
}

TEST_F(DatabaseComponentTest, DatabasePathsInNameOrderOrNoneWithoutFolderOrFiles) {
  ResultComponentClient results;
  ASSERT_EQ(results.Create(), S_OK);
  DatabasePaths none;
  ASSERT_TRUE(database_.GetDBPaths(ConfigFolder(), none));  // no Databases folder
  EXPECT_EQ(none.DatabaseCount(), std::nullopt);
  AddDatabase("notes.txt", "");
  ASSERT_TRUE(results.GetDBPaths(ConfigFolder(), none));  // no database in it
  EXPECT_EQ(none.DatabaseCount(), std::nullopt);

  AddDatabase("b.tsv", "");
  AddDatabase("A.TSV", "");
  for (const bool viaResults : {false, true}) {
    DatabasePaths found;
    ASSERT_TRUE(viaResults ? results.GetDBPaths(ConfigFolder(), found)
                           : database_.GetDBPaths(ConfigFolder(), found));
    ASSERT_EQ(found.DatabaseCount(), 2);
    EXPECT_EQ(found.Text(0), ConfigFolder() + "\\Databases\\A.TSV");
    EXPECT_EQ(found.Text(1), ConfigFolder() + "\\Databases\\b.tsv");
  }
}

// The temporary file is written and flushed, then the replacement fails:
// the database keeps its content and CloseDB says why.
// Another program that holds the database for a moment (the agent reading
// it, a backup, a scanner) is waited for at close; a read-only database is
// not, and keeps its content. Nothing is left beside either.
TEST_F(DatabaseComponentTest, CloseWaitsForAProgramHoldingTheDatabaseButNotForAReadOnlyOne) {
  const std::string content = Database(3, "\r\n");
  const std::string path = AddDatabase("dc.tsv", content);
  std::string written;
  for (const bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "held");
    std::string count;
    ASSERT_TRUE(database_.OpenDB(Variant(path), count));
    RecordPage page;
    ASSERT_TRUE(database_.GetRecords(page));
    RecordResults results(3);
    results.Set(0, "1", "1");
    ASSERT_TRUE(database_.UpdateRecords(page, results));
    platform::Handle holder;
    if (readOnly) {
      ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    } else {
      std::string command = "\"" + testing::BinFolder() + "sleeper.exe\" 1 hold \"" + path + "\"";
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION started{};
      ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &started));
      CloseHandle(started.hThread);
      holder.reset(started.hProcess);
      Sleep(300);  // the file is held
    }
    const ComponentOutcome closed = database_.CloseDB();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (holder) WaitForSingleObject(holder.get(), 5000);
    EXPECT_EQ(static_cast<bool>(closed), !readOnly);
    if (readOnly) {
      EXPECT_THAT(closed.errorText, HasSubstr("cannot replace " + path));
      EXPECT_EQ(WithTimesMasked(ReadWholeFile(path)), WithTimesMasked(written));
    } else {
      written = ReadWholeFile(path);
      EXPECT_THAT(written, HasSubstr(Record(1, "1001", "1\t1\t")));
    }
    EXPECT_THAT(FilesBeside(path), ::testing::ElementsAre("dc.tsv"));
  }
  EXPECT_THAT(database_.CloseDB().errorText, HasSubstr("OpenDB must come first"));
}

TEST_F(DatabaseComponentTest, MissingLockedOrUnreadableDatabasesAreNotOpened) {
  const std::string path = AddDatabase("dc.tsv", Database(3, "\r\n"));
  platform::FileHandle lock(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  for (const std::string& bad :
       {path, ConfigFolder() + "\\Databases\\none.tsv", ConfigFolder() + "\\Databases"}) {
    SCOPED_TRACE(bad);
    std::string count = "unset";
    const ComponentOutcome opened = database_.OpenDB(Variant(bad), count);
    EXPECT_FALSE(opened);
    EXPECT_THAT(opened.errorText, HasSubstr("cannot open " + bad));
    EXPECT_EQ(count, "");
  }
  lock.reset();
  EXPECT_EQ(ReadWholeFile(path), Database(3, "\r\n"));
}

TEST_F(DatabaseComponentTest, GetRecordsBeforeOpenDBFailsWithAText) {
  RecordPage page;
  const ComponentOutcome read = database_.GetRecords(page);
  EXPECT_FALSE(read);
  EXPECT_THAT(read.errorText, HasSubstr("OpenDB must come first"));
  EXPECT_EQ(page.RowCount(), std::nullopt);
}

TEST_F(DatabaseComponentTest, SetMonResultsUpdatesTheFunctionIdOrAppendsIt) {
  const std::string path =
      AddDatabase("dc.tsv", kHeader + "\r\n" + Record(1, "1001") + "\r\n" + Record(2, "1003") + "\r\n");
  ResultComponentClient results;
  ASSERT_EQ(results.Create(), S_OK);
  DatabasePaths paths;
  ASSERT_TRUE(results.GetDBPaths(ConfigFolder(), paths));
  const Variant database = *paths.Element(0);
  ASSERT_TRUE(results.SetMonResults(database, "1003", "1", "failed"));
  ASSERT_TRUE(results.SetMonResults(database, "4250", "0", "0"));
  EXPECT_EQ(WithTimesMasked(ReadWholeFile(path)), kHeader + "\r\n" + Record(1, "1001") + "\r\n" +
                                                      Record(2, "1003", "1\tfailed\t<time>") +
                                                      "\r\n3\t4250\t4250\t\t\t1\t4250\t0\t0\t<time>\r\n");
  EXPECT_THAT(FilesBeside(path), ::testing::ElementsAre("dc.tsv"));
}

// The sandbox's databases, as the demo installs them: every record readable,
// a record for every failure and closing condition, and odd function IDs.
TEST_F(DatabaseComponentTest, TheSandboxDatabasesAreReadWhole) {
  std::string source = std::getenv("VELKOR_SOURCE_DIR");  // through Wine's drive Z:
  std::replace(source.begin(), source.end(), '/', '\\');
  for (const auto& entry : fs::directory_iterator("Z:" + source + "\\sandbox\\databases"))
    AddDatabase(entry.path().filename().string(), ReadWholeFile(entry.path()));
  DatabasePaths paths;
  ASSERT_TRUE(database_.GetDBPaths(ConfigFolder(), paths));
  ASSERT_EQ(paths.DatabaseCount(), 2);
  EXPECT_EQ(paths.Text(1), ConfigFolder() + "\\Databases\\DirectoryHealth.tsv");
  std::set<std::string> ids;
  for (long i = 0; i < 2; ++i) {
    std::string count;
    ASSERT_TRUE(database_.OpenDB(*paths.Element(i), count));
    long records = 0;
    for (RecordPage page; database_.GetRecords(page) && page.RowCount(); page = RecordPage()) {
      for (long row = 0; row < *page.RowCount(); ++row) ids.insert(page.FunctionIdText(row).value_or(""));
      records += *page.RowCount();
    }
    EXPECT_EQ(std::to_string(records), count);
    EXPECT_TRUE(database_.CloseDB());
  }
  std::set<std::string> expected = {"abc",  "4250", "-5",   " 1001", "3001", "3003", "3075",
                                    "3029", "3019", "3020", "3021",  "3022", "3023", "3024",
                                    "3122", "3017", "3112", "3113",  "3132", "3133", "1001"};
  for (int id = 1003; id <= 1140; ++id) expected.insert(std::to_string(id));
  EXPECT_EQ(ids, expected);
}

TEST(DatabaseComponentClient, CallsWithoutAComponentRaiseTheComError) {
  DatabaseComponentClient database;
  RecordPage page;
  try {
    database.GetRecords(page);
    ADD_FAILURE() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_POINTER);
  }
  ResultComponentClient results;
  EXPECT_THROW(results.SetMonResults(Variant("x"), "1001", "1", "0"), _com_error);
}

}  // namespace
}  // namespace velkor
