#include "storage.h"

#include <algorithm>
#include <limits>
#include <map>
#include <unordered_map>
#include <utility>

#include "tsv.h"

namespace nexdb {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), AsciiLower);
  return text;
}

bool IsDatabaseName(const std::string& name) {
  return name.size() > 4 && AsciiLowered(name.substr(name.size() - 4)) == ".tsv";
}

// A change UpdateRecords stored for one record.
struct Change {
  std::optional<std::string> status;
  std::optional<std::string> errorCode;
  std::string updatedAt;

  void Merge(const Change& later) {
    if (later.status) status = later.status;
    if (later.errorCode) errorCode = later.errorCode;
    updatedAt = later.updatedAt;
  }
  void ApplyTo(Fields& fields, const Layout& layout) const {
    if (status) fields[layout.at[kStatus]] = *status;
    if (errorCode) fields[layout.at[kErrorCode]] = *errorCode;
    fields[layout.at[kUpdatedAt]] = updatedAt;
  }
};
using Changes = std::map<std::size_t, Change>;  // by record number

// Applies and drops the change stored for record `number`, if any.
void ApplyStored(Changes& changes, std::size_t number, Fields& fields, const Layout& layout) {
  const auto found = changes.find(number);
  if (found == changes.end()) return;
  found->second.ApplyTo(fields, layout);
  changes.erase(found);
}

// The value of a RecordKey made of decimal digits only, else none.
std::optional<unsigned long long> NumericKey(const std::string& key) {
  if (key.empty()) return std::nullopt;
  unsigned long long value = 0;
  for (const char c : key) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<unsigned long long>(c - '0');
    if (value > (std::numeric_limits<unsigned long long>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

std::vector<std::string> ListDatabases(FileAccess& files, const std::string& configFolder) {
  std::string folder = configFolder;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.empty()) throw StorageError("no configuration folder given");
  folder += "\\Databases";
  std::vector<std::pair<std::string, std::string>> names;  // lowered, as found
  for (std::string& name : files.FileNames(folder)) {
    if (IsDatabaseName(name)) names.emplace_back(AsciiLowered(name), std::move(name));
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const auto& name : names) paths.push_back(folder + "\\" + name.second);
  return paths;
}

// An open database: the unread records in `source_`, the page handed out last
// in `page_`, every record before it already in `output_`.
class DatabaseSession::Cursor {
 public:
  Cursor(FileAccess& files, const std::string& path) : files_(files), path_(path) {
    // The reader that pages holds the file first, so that no writer changes it
    // between the check and the pages.
    source_ = std::make_unique<RecordReader>(files, path);
    layout_ = source_->layout();
    RecordReader check(files, path);
    for (Fields fields; check.Next(fields);) ++count_;
    output_ = std::make_unique<RecordWriter>(files, TemporaryPathFor(path));
    output_->WriteLine(layout().headerLine);
  }

  std::size_t count() const { return count_; }

  Page NextPage() {
    WritePage();
    for (Fields fields; page_.size() < kPageRows && source_->Next(fields); ++next_) {
      ApplyStored(ahead_, next_, fields, layout());
      page_.push_back(std::move(fields));
    }
    return PageOf(page_);
  }

  void Update(const std::vector<RowUpdate>& rows) {
    // Where each row is: in the page (the usual case), or found by one pass
    // over the file for all the others.
    std::vector<std::size_t> numbers(rows.size(), kUnknown);
    std::unordered_map<std::string, Located> elsewhere;
    const std::size_t firstOfPage = next_ - page_.size();
    // The page's own keys handed back in its order are its rows one for one,
    // so that records sharing a key each keep their own result.
    const bool wholePage =
        rows.size() == page_.size() &&
        std::equal(rows.begin(), rows.end(), page_.begin(), [&](const RowUpdate& row, const Fields& fields) {
          return row.key == fields[layout().at[kRecordKey]];
        });
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (wholePage) {
        numbers[i] = firstOfPage + i;
        continue;
      }
      const auto inPage = std::find_if(page_.begin(), page_.end(), [&](const Fields& fields) {
        return fields[layout().at[kRecordKey]] == rows[i].key;
      });
      if (inPage != page_.end())
        numbers[i] = firstOfPage + static_cast<std::size_t>(inPage - page_.begin());
      else
        elsewhere.emplace(rows[i].key, Located{});
    }
    if (!elsewhere.empty()) Locate(elsewhere);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (numbers[i] == kUnknown) numbers[i] = elsewhere.at(rows[i].key).number;
    }

    // Stored into copies first: a record that would grow past the line limit
    // refuses the whole update now, where writing it would fail at every
    // close of the database from then on.
    std::vector<Fields> page = page_;
    Changes ahead = ahead_;
    Changes behind = behind_;
    const std::string now = files_.Now();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!rows[i].status && !rows[i].errorCode) continue;
      Change change;
      if (rows[i].status) change.status = FieldText(*rows[i].status);
      if (rows[i].errorCode) change.errorCode = FieldText(*rows[i].errorCode);
      change.updatedAt = now;
      const std::size_t number = numbers[i];
      if (number >= next_)
        ahead[number].Merge(change);
      else if (number >= firstOfPage)
        change.ApplyTo(page[number - firstOfPage], layout());
      else
        behind[number].Merge(change);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::size_t number = numbers[i];
      std::size_t length = 0;
      if (number >= firstOfPage && number < next_) {
        length = LineLength(page[number - firstOfPage]);
      } else {
        Fields fields = elsewhere.at(rows[i].key).fields;
        const Changes& stored = number >= next_ ? ahead : behind;
        if (const auto change = stored.find(number); change != stored.end())
          change->second.ApplyTo(fields, layout());
        length = LineLength(fields);
      }
      if (length > kMaxLineBytes)
        throw StorageError(path_ + ": the record with the RecordKey \"" + rows[i].key +
                           "\" would be longer than " + std::to_string(kMaxLineBytes) + " bytes");
    }
    page_.swap(page);
    ahead_.swap(ahead);
    behind_.swap(behind);
  }

  void Close() {
    WritePage();
    for (Fields fields; source_->Next(fields); ++next_) {
      ApplyStored(ahead_, next_, fields, layout());
      output_->Write(fields);
    }
    source_.reset();  // the file can be replaced only once it is closed
    if (behind_.empty()) {
      output_->MoveTo(path_);
      return;
    }
    // Changes to records written before the change came: a second pass.
    output_->Finish();
    RecordWriter second(files_, TemporaryPathFor(path_, 2));
    {
      RecordReader first(files_, output_->path());
      second.WriteLine(first.layout().headerLine);
      std::size_t number = 0;
      for (Fields fields; first.Next(fields); ++number) {
        ApplyStored(behind_, number, fields, layout());
        second.Write(fields);
      }
    }
    second.MoveTo(path_);
  }

 private:
  static constexpr std::size_t kUnknown = std::numeric_limits<std::size_t>::max();

  // A record outside the page: its number and its fields as the file has them.
  struct Located {
    std::size_t number = kUnknown;
    Fields fields;
  };

  const Layout& layout() const { return layout_; }

  void WritePage() {
    for (const Fields& fields : page_) output_->Write(fields);
    page_.clear();
  }

  Page PageOf(const std::vector<Fields>& records) const {
    std::vector<std::size_t> columns;
    for (std::size_t column = kGroupID; column < kColumnCount; ++column)
      columns.push_back(layout().at[column]);
    columns.insert(columns.end(), layout().others.begin(), layout().others.end());
    columns.resize(std::min(columns.size(), kPageColumns));
    Page page;
    page.columns.resize(columns.size());
    for (const Fields& fields : records) {
      page.keys.push_back(fields[layout().at[kRecordKey]]);
      for (std::size_t c = 0; c < columns.size(); ++c) page.columns[c].push_back(fields[columns[c]]);
    }
    return page;
  }

  // Finds the record number and fields of each key (its first record);
  // throws for a key no record has.
  void Locate(std::unordered_map<std::string, Located>& keys) const {
    RecordReader scan(files_, path_);
    std::size_t found = 0;
    std::size_t number = 0;
    for (Fields fields; found < keys.size() && scan.Next(fields); ++number) {
      const auto key = keys.find(fields[layout().at[kRecordKey]]);
      if (key != keys.end() && key->second.number == kUnknown) {
        key->second = Located{number, std::move(fields)};
        ++found;
      }
    }
    for (const auto& key : keys) {
      if (key.second.number == kUnknown)
        throw StorageError(path_ + ": no record has the RecordKey \"" + key.first + "\"");
    }
  }

  FileAccess& files_;
  std::string path_;
  std::unique_ptr<RecordReader> source_;
  Layout layout_;
  std::unique_ptr<RecordWriter> output_;
  std::size_t count_ = 0;
  std::size_t next_ = 0;  // the number of the next record `source_` gives
  std::vector<Fields> page_;
  Changes ahead_;   // for records not read yet
  Changes behind_;  // for records already written
};

DatabaseSession::DatabaseSession(FileAccess& files) : files_(files) {}

DatabaseSession::~DatabaseSession() = default;

namespace {
[[noreturn]] void NothingOpen() { throw StorageError("no database is open: OpenDB must come first"); }
}  // namespace

void DatabaseSession::RequireOpen() const {
  if (!cursor_) NothingOpen();
  if (!broken_.empty()) throw StorageError(broken_);
}

std::size_t DatabaseSession::Open(const std::string& path) {
  if (cursor_) throw StorageError("a database is already open: CloseDB must come before the next OpenDB");
  cursor_ = std::make_unique<Cursor>(files_, path);
  return cursor_->count();
}

Page DatabaseSession::NextPage() {
  RequireOpen();
  try {
    return cursor_->NextPage();
  } catch (const std::exception& e) {
    // The page was half read: nothing more can be read or written.
    broken_ = e.what();
    throw;
  }
}

void DatabaseSession::Update(const std::vector<RowUpdate>& rows) {
  RequireOpen();
  cursor_->Update(rows);
}

void DatabaseSession::Close() {
  if (!cursor_) NothingOpen();
  const std::unique_ptr<Cursor> cursor = std::move(cursor_);
  const std::string broken = std::exchange(broken_, std::string());
  if (!broken.empty()) throw StorageError(broken + " (the database was left as it was)");
  cursor->Close();
}

void SetMonResults(FileAccess& files, const std::string& path, const MonResult& result) {
  if (result.functionId.empty()) throw StorageError("no function ID given");
  auto source = std::make_unique<RecordReader>(files, path);
  const Layout layout = source->layout();
  RecordWriter output(files, TemporaryPathFor(path));
  output.WriteLine(layout.headerLine);
  const std::string functionId = FieldText(result.functionId);
  Change change{FieldText(result.status), FieldText(result.errorCode), files.Now()};
  bool matched = false;
  unsigned long long highestKey = 0;
  for (Fields fields; source->Next(fields);) {
    highestKey = std::max(highestKey, NumericKey(fields[layout.at[kRecordKey]]).value_or(0));
    if (fields[layout.at[kFunctionID]] == functionId) {
      change.ApplyTo(fields, layout);
      matched = true;
    }
    output.Write(fields);
  }
  source.reset();  // the file can be replaced only once it is closed
  if (!matched) {
    if (highestKey == std::numeric_limits<unsigned long long>::max())
      throw StorageError(path + ": no new RecordKey is left");
    Fields added(layout.fieldCount);
    added[layout.at[kRecordKey]] = std::to_string(highestKey + 1);
    added[layout.at[kGroupID]] = FieldText(result.groupId);
    added[layout.at[kTestID]] = FieldText(result.testId);
    added[layout.at[kEnabled]] = "1";
    added[layout.at[kFunctionID]] = functionId;
    change.ApplyTo(added, layout);
    output.Write(added);
  }
  output.MoveTo(path);
}

}  // namespace nexdb
