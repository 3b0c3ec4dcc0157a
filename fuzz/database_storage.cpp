// The database component's storage over any database file: see fuzz/README.md.
#include <array>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "storage.h"
#include "unit/nexdb/memory_files.h"

namespace {

using velkor::fuzz::Expect;

const std::string kPath = "C:\\agent\\Config\\Databases\\db.tsv";
// Fields of a record: its key, then its columns.
constexpr std::size_t kStatus = 7, kErrorCode = 8, kUpdatedAt = 9;

using Records = std::vector<std::vector<std::string>>;

// Every record of the database, or none when the storage refuses it.
std::optional<Records> ReadAll(nexdb::testing::MemoryFiles& files) try {
  nexdb::DatabaseSession session(files);
  const std::size_t count = session.Open(kPath);
  Records records;
  for (nexdb::Page page = session.NextPage(); !page.keys.empty(); page = session.NextPage()) {
    for (std::size_t row = 0; row < page.keys.size(); ++row) {
      records.push_back({page.keys[row]});
      for (const auto& column : page.columns) records.back().push_back(column.at(row));
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

// The input's length chooses a disk failing once the database is open, or no Close.
const std::array<std::string, 8> kFaults{"", "replace", "write", "read", "unclosed"};

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
  const std::string& fault = kFaults[size % kFaults.size()];
  try {
    nexdb::DatabaseSession session(files);
    session.Open(kPath);
    files.failing = fault;
    std::size_t index = 0;
    for (nexdb::Page page = session.NextPage(); !page.keys.empty(); page = session.NextPage()) {
      std::vector<nexdb::RowUpdate> updates;
      for (const std::string& key : page.keys) updates.push_back(UpdateOf(key, index++));
      session.Update(updates);
    }
    // The first record anew, though already written: a second pass at close.
    if (!before->empty()) session.Update({UpdateOf(before->front()[0], before->size())});
    if (fault == "unclosed") throw nexdb::StorageError("the session ends without Close");
    session.Close();
    Expect(fault.empty(), "a failing disk went unnoticed");
  } catch (const nexdb::StorageError&) {
    Expect(Untouched(files, asRead), "a database the storage failed to write, or never closed, changed");
    return 0;
  }
  const std::optional<Records> after = ReadAll(files);
  Expect(after && after->size() == before->size(), "records were lost or added");
  for (std::size_t i = 0; i < after->size(); ++i) {
    std::vector<std::string> expected = (*before)[i];
    const nexdb::RowUpdate stored = UpdateOf("", i == 0 ? before->size() : i);
    expected[kStatus] = *stored.status;
    expected[kErrorCode] = *stored.errorCode;
    expected[kUpdatedAt] = files.Now();
    Expect((*after)[i] == expected, "a record lost its key, place, fields or stored result");
  }
  return 0;
}
