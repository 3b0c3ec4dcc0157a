// The database component's storage over any database file: see fuzz/README.md.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "storage.h"
#include "unit/nexdb/memory_files.h"

namespace {

using velkor::fuzz::Expect;

const std::string kPath = "C:\\agent\\Config\\Databases\\db.tsv";
// Fields of a record: its key, then its columns.
constexpr std::size_t kFunctionId = 6, kStatus = 7, kErrorCode = 8, kUpdatedAt = 9;
const nexdb::MonResult kById{"9", "9", "1001", "1", "by id"};

using Records = std::vector<std::vector<std::string>>;

// Every record of the database, or none when the storage refuses it.
std::optional<Records> ReadAll(nexdb::testing::MemoryFiles& files) try {
  nexdb::DatabaseSession session(files);
  const std::size_t count = session.Open(kPath);
  Records records;
  for (nexdb::Page page = session.NextPage(); !page.keys.empty(); page = session.NextPage()) {
    for (std::size_t row = 0; row < page.keys.size(); ++row) {
      records.push_back({page.keys[row]});
      for (const auto& column : page.columns)
        records.back().push_back(row < column.size() ? column[row] : "");
    }
  }
  Expect(records.size() == count, "the pages hold the records Open counted");
  session.Close();
  return records;
} catch (const nexdb::StorageError&) {
  return std::nullopt;
}

// Whether the database is `original` with nothing left beside it.
bool Untouched(const nexdb::testing::MemoryFiles& files, const std::string& original) {
  return files.files.at(kPath) == original && files.files.size() == 1;
}

// The result stored for the record at `index`.
nexdb::RowUpdate UpdateOf(const std::string& key, std::size_t index) {
  return {key, std::to_string(index % 2), "E" + std::to_string(index)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string original(velkor::fuzz::InputText(data, size));
  nexdb::testing::MemoryFiles files;
  files.files[kPath] = original;
  const std::optional<Records> before = ReadAll(files);
  if (!before) {
    Expect(Untouched(files, original), "a refused database changed");
    return 0;
  }
  const std::string asRead = files.files.at(kPath);  // the reading closed it: written afresh
  // The length chooses a failing disk once the database is open (1: the
  // replacement, 2: a write, 3: a read fails) or a database never closed (4).
  const std::size_t fault = size % 8;
  try {
    nexdb::DatabaseSession session(files);
    session.Open(kPath);
    files.failReplace = fault == 1;
    files.failWrite = fault == 2;
    files.failReadAfterBytes = fault == 3 ? static_cast<long>(asRead.size() / 2) : -1;
    std::size_t index = 0;
    for (nexdb::Page page = session.NextPage(); !page.keys.empty(); page = session.NextPage()) {
      std::vector<nexdb::RowUpdate> updates;
      for (const std::string& key : page.keys) updates.push_back(UpdateOf(key, index++));
      session.Update(updates);
    }
    // The first record once more, though already written: a second pass at close.
    if (!before->empty()) session.Update({UpdateOf(before->front()[0], 0)});
    if (fault != 4) session.Close();
    Expect(fault == 0 || fault >= 4, "a failing disk went unnoticed");
  } catch (const nexdb::StorageError&) {
    Expect(Untouched(files, asRead), "a database the storage failed to write changed");
    return 0;
  }
  if (fault == 4) {
    Expect(Untouched(files, asRead), "a database never closed changed");
    return 0;
  }
  const std::optional<Records> after = ReadAll(files);
  Expect(after && after->size() == before->size(), "records were lost or added");
  for (std::size_t i = 0; i < after->size(); ++i) {
    std::vector<std::string> expected = (*before)[i], got = (*after)[i];
    const nexdb::RowUpdate stored = UpdateOf("", i);
    Expect(got.size() > kUpdatedAt && got[kStatus] == stored.status && got[kErrorCode] == stored.errorCode &&
               got[kUpdatedAt] == files.now,
           "a record lost its stored result");
    for (const std::size_t column : {kStatus, kErrorCode, kUpdatedAt}) expected[column] = got[column] = "";
    Expect(got == expected, "a record's key, place or other fields changed");
  }

  // A result by function ID: every record of that ID takes it, or one is added.
  const std::string written = files.files.at(kPath);
  try {
    nexdb::SetMonResults(files, kPath, kById);
  } catch (const nexdb::StorageError&) {
    Expect(Untouched(files, written), "a database SetMonResults refused changed");
    return 0;
  }
  const std::optional<Records> byId = ReadAll(files);
  Expect(byId.has_value(), "a database SetMonResults wrote cannot be read back");
  std::size_t matching = 0;
  for (const auto& row : *after) matching += row.size() > kFunctionId && row[kFunctionId] == "1001";
  Expect(byId->size() == after->size() + (matching == 0 ? 1 : 0), "SetMonResults added a wrong count");
  for (const auto& row : *byId)
    Expect(row[kFunctionId] != "1001" || (row[kStatus] == "1" && row[kErrorCode] == "by id"),
           "a record of the ID kept its old result");
  return 0;
}
