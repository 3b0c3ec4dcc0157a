// NexDBInterface.dll registered with regsvr32 in the test prefix, created and
// called through Velkor's own wrappers: what only the registered server and
// real files show. The storage rules are unit-tested and fuzzed; pages,
// updates, results by function ID, refused, read-only and locked databases
// and other makers' array forms are run end to end.
#include "results/database_component.h"

#include <comdef.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>
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

std::string Dll() { return testing::BinFolder() + "NexDBInterface.dll"; }

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
  static void TearDownTestSuite() { EXPECT_EQ(testing::RunRegsvr32(Dll(), true), 0u); }
  void SetUp() override {
    ASSERT_EQ(apartment_.result(), S_OK);
    ASSERT_EQ(database_.Create(), S_OK);
  }

  platform::ComApartment apartment_;  // first in, last out
  DatabaseComponentClient database_;
};

// Registered for this width as an apartment-threaded in-process server. Once
// unregistered neither component is created, and a wrapper without one
// raises E_POINTER.
TEST_F(DatabaseComponentTest, RegisteredAsAnInProcessServerOfThisWidth) {
  wchar_t id[40] = {};
  StringFromGUID2(kDatabaseComponentClassId, id, 40);
  const std::string server = "CLSID\\" + platform::WideToAnsi(id) + "\\InprocServer32";
  EXPECT_TRUE(EqualsIgnoringAsciiCase(ClassesValue(server, nullptr).value_or(""), Dll()));
  EXPECT_EQ(ClassesValue(server, "ThreadingModel"), "Apartment");

  ASSERT_EQ(testing::RunRegsvr32(Dll(), true), 0u);
  EXPECT_EQ(ClassesValue(server, nullptr), std::nullopt);
  EXPECT_EQ(database_.Create(), REGDB_E_CLASSNOTREG);
  ResultComponentClient results;
  EXPECT_EQ(results.Create(), REGDB_E_CLASSNOTREG);
  RecordPage page;
  try {
    database_.GetRecords(page);
    ADD_FAILURE() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_POINTER);
  }
  EXPECT_THROW(results.SetMonResults(Variant("x"), "1001", "1", "0"), _com_error);
  ASSERT_EQ(testing::RunRegsvr32(Dll(), false), 0u);
  EXPECT_EQ(results.Create(), S_OK);
  EXPECT_EQ(database_.Create(), S_OK);
}

// Another program that holds the database for a moment (the agent reading
// it, a backup, a scanner) is waited for at close: the update is written,
// and nothing is left beside the database.
TEST_F(DatabaseComponentTest, CloseWaitsForAProgramHoldingTheDatabaseForAMoment) {
  const fs::path folder = fs::temp_directory_path() / "nexdb-held";
  fs::remove_all(folder);
  const std::string path = (folder / "dc.tsv").string();
  testing::WriteWholeFile(
      path,
      "RecordKey\tGroupID\tTestID\tTestName\tDeviceID\tEnabled\tFunctionID\tStatus\tErrorCode\t"
      "UpdatedAt\r\n1\t1\t1\tTest 1\tDC01\t1\t1001\t\t\t\r\n");
  std::string count;
  ASSERT_TRUE(database_.OpenDB(Variant(path), count));
  RecordPage page;
  ASSERT_TRUE(database_.GetRecords(page));
  RecordResults results(1);
  results.Set(0, "1", "written");
  ASSERT_TRUE(database_.UpdateRecords(page, results));
  // Held as a scanner holds a file, sharing it with readers only, for a second.
  platform::FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  std::thread release([&] {
    Sleep(1000);
    held.reset();
  });
  const ULONGLONG start = GetTickCount64();

  EXPECT_TRUE(database_.CloseDB());
  EXPECT_GE(GetTickCount64() - start, 900u);  // it waited
  release.join();
  EXPECT_THAT(testing::ReadWholeFile(path), ::testing::HasSubstr("\t1001\t1\twritten\t"));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  EXPECT_THAT(names, ::testing::ElementsAre("dc.tsv"));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace velkor
