// The database component's storage over any database file: read it in pages
// of twenty records, store a result in every record (the first one twice),
// write it, and read it again. The records must come back with their own
// fields and the results stored; a file the storage refuses at any step, or
// cannot write for a failing disk, or that is never closed, must stay exactly
// as it was, with no temporary file left beside it. Then the same for a
// result handed over by function ID.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "storage.h"
#include "unit/nexdb/memory_files.h"

namespace {

using velkor::fuzz::Expect;

const std::string kFolder = "C:\\agent\\Config";
const std::string kPath = kFolder + "\\Databases\\db.tsv";
constexpr std::size_t kStatus = 6, kErrorCode = 7, kUpdatedAt = 8;  // columns after RecordKey

struct Records {
  std::vector<std::string> keys;
  std::vector<std::vector<std::string>> rows;  // each row's columns
};

// Every record of the database, or none when the storage refuses it.
std::optional<Records> ReadAll(nexdb::testing::MemoryFiles& files) {
  try {
    nexdb::DatabaseSession session(files);
    const std::size_t count = session.Open(kPath);
    Records records;
    for (nexdb::Page page = session.NextPage(); !page.keys.empty(); page = session.NextPage()) {
      Expect(page.keys.size() <= nexdb::kPageRows && records.keys.size() % nexdb::kPageRows == 0,
             "a page but the last holds other than twenty rows");
      for (std::size_t row = 0; row < page.keys.size(); ++row) {
        records.keys.push_back(page.keys[row]);
        std::vector<std::string> columns;
        for (const auto& column : page.columns) columns.push_back(row < column.size() ? column[row] : "");
        records.rows.push_back(std::move(columns));
      }
    }
    Expect(records.keys.size() == count, "the pages hold the records Open counted");
    session.Close();
    return records;
  } catch (const nexdb::StorageError&) {
    return std::nullopt;
  }
}

void ExpectUntouched(const nexdb::testing::MemoryFiles& files, const std::string& original) {
  Expect(files.files.at(kPath) == original, "a refused database changed");
  Expect(files.PathsStartingWith(kFolder).size() == 1, "a file was left beside the database");
}

// The result stored for the record at `index`.
std::string StatusOf(std::size_t index) { return std::to_string(index % 2); }
std::string ErrorCodeOf(std::size_t index) { return "E" + std::to_string(index); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string original(velkor::fuzz::InputText(data, size));
  nexdb::testing::MemoryFiles files;
  files.files[kPath] = original;

  const std::optional<Records> before = ReadAll(files);
  if (!before) {
    ExpectUntouched(files, original);
    return 0;
  }
  const std::string asRead = files.files.at(kPath);  // the reading closed it: written afresh
  // Some inputs meet a failing disk once the database is open (the
  // replacement, a write or a read fails), or the database is never closed.
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
      for (const std::string& key : page.keys) {
        updates.push_back({key, StatusOf(index), ErrorCodeOf(index)});
        ++index;
      }
      session.Update(updates);
    }
    // The first record once more, though already written: a second pass at close.
    if (!before->keys.empty()) session.Update({{before->keys.front(), StatusOf(0), ErrorCodeOf(0)}});
    if (fault != 4) session.Close();
  } catch (const nexdb::StorageError&) {
    ExpectUntouched(files, asRead);
    return 0;
  }
  if (fault >= 1 && fault <= 4) {
    Expect(fault == 4, "a failing disk went unnoticed");
    ExpectUntouched(files, asRead);
    try {
      if (fault != 4) nexdb::SetMonResults(files, kPath, {"9", "9", "1001", "1", "by id"});
      Expect(fault == 4, "SetMonResults missed a failing disk");
    } catch (const nexdb::StorageError&) {
      ExpectUntouched(files, asRead);
    }
    return 0;
  }
  const std::optional<Records> after = ReadAll(files);
  Expect(after.has_value(), "a database the storage wrote cannot be read back");
  Expect(after->keys == before->keys, "the records changed their keys or order");
  for (std::size_t i = 0; i < after->rows.size(); ++i) {
    std::vector<std::string> expected = before->rows[i], got = after->rows[i];
    Expect(got.size() > kUpdatedAt && got[kStatus] == StatusOf(i) && got[kErrorCode] == ErrorCodeOf(i) &&
               got[kUpdatedAt] == files.now,
           "a record lost its stored result");
    for (const std::size_t column : {kStatus, kErrorCode, kUpdatedAt}) expected[column] = got[column] = "";
    Expect(got == expected, "a record's other fields changed");
  }

  // A result by function ID: every record of that ID takes it, or one is added.
  const std::string written = files.files.at(kPath);
  try {
    nexdb::SetMonResults(files, kPath, {"9", "9", "1001", "1", "by id"});
  } catch (const nexdb::StorageError&) {
    ExpectUntouched(files, written);
    return 0;
  }
  const std::optional<Records> byId = ReadAll(files);
  Expect(byId.has_value(), "a database SetMonResults wrote cannot be read back");
  constexpr std::size_t kFunctionId = 5;
  std::size_t matching = 0;
  for (const auto& row : after->rows) matching += row.size() > kFunctionId && row[kFunctionId] == "1001";
  Expect(byId->keys.size() == after->keys.size() + (matching == 0 ? 1 : 0),
         "SetMonResults added a wrong count");
  for (const auto& row : byId->rows)
    if (row[kFunctionId] == "1001")
      Expect(row[kStatus] == "1" && row[kErrorCode] == "by id", "a record of the ID kept its old result");
  return 0;
}
