// Monitoring databases as tab-separated text: a header line naming the
// columns, then one record a line. Lines are written with CRLF and read with
// CRLF or LF. Reading and writing go through fixed-size buffers, so memory
// never grows with the size of a file.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file_access.h"

namespace nexdb {

enum Column : std::size_t {
  kRecordKey,
  kGroupID,
  kTestID,
  kTestName,
  kDeviceID,
  kEnabled,
  kFunctionID,
  kStatus,
  kErrorCode,
  kUpdatedAt,
  kColumnCount
};
inline constexpr std::array<std::string_view, kColumnCount> kColumnNames = {
    "RecordKey", "GroupID",    "TestID", "TestName",  "DeviceID",
    "Enabled",   "FunctionID", "Status", "ErrorCode", "UpdatedAt"};

// The longest line accepted, without its line end, by reader and writer
// alike; a longer one is refused rather than held in memory.
inline constexpr std::size_t kMaxLineBytes = std::size_t{64} * 1024;

// The length of `fields` as one line, tabs between them.
std::size_t LineLength(const std::vector<std::string>& fields);

using Fields = std::vector<std::string>;

// A text as it can be stored in a field: line breaks at its end are dropped,
// other tabs and line breaks become blanks.
std::string FieldText(std::string_view text);

// Where the columns of one database sit, as its header line names them.
struct Layout {
  std::string headerLine;                      // as read; written back unchanged
  std::size_t fieldCount = 0;                  // the number of columns named
  std::array<std::size_t, kColumnCount> at{};  // the index of each known column
  std::vector<std::size_t> others;             // the indexes of other columns, in file order
};

// Reads a database from its header to its last record.
class RecordReader {
 public:
  // Opens `path` (writers are kept out until the reader goes) and reads the
  // header; throws when the file cannot be read or the header lacks a column.
  RecordReader(FileAccess& files, const std::string& path);

  const Layout& layout() const { return layout_; }
  // The next record's fields; false after the last. Blank lines are skipped; a
  // line with fewer fields than the header names throws.
  bool Next(Fields& fields);

 private:
  bool NextLine(std::string& line);
  [[noreturn]] void Fail(const std::string& what) const;
  [[noreturn]] void TooLong(std::size_t lineNumber) const;

  std::unique_ptr<InputFile> file_;
  std::string path_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t lineNumber_ = 0;
  Layout layout_;
};

// Writes a database into a temporary file that takes the database's place
// only when complete.
class RecordWriter {
 public:
  // Creates (or empties) `path`. Unless MoveTo put it in place, the file is
  // deleted when the writer goes.
  RecordWriter(FileAccess& files, std::string path);
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;
  ~RecordWriter();

  const std::string& path() const { return path_; }
  // Writes a line and CRLF; a line longer than kMaxLineBytes throws.
  void WriteLine(std::string_view line);
  void Write(const Fields& fields);
  // Flushes the file to the disk and closes it.
  void Finish();
  // Finishes the file and puts it in the place of `target` in one step.
  void MoveTo(const std::string& target);

 private:
  void Flush();

  FileAccess& files_;
  std::string path_;
  std::unique_ptr<OutputFile> file_;
  std::string buffer_;
  bool finished_ = false;
  bool moved_ = false;
};

// The temporary file beside `database` that becomes its new content; `stage`
// tells apart the files of a rewrite in two steps.
std::string TemporaryPathFor(const std::string& database, int stage = 1);

}  // namespace nexdb
