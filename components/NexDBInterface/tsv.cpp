#include "tsv.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace nexdb {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{64} * 1024;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

void SplitInto(std::string_view line, Fields& fields) {
  fields.clear();
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
    fields.emplace_back(line.substr(start, tab - start));
  fields.emplace_back(line.substr(start));
}

Layout ParseHeader(std::string line) {
  Layout layout;
  std::string_view names = line;
  if (names.substr(0, kUtf8Mark.size()) == kUtf8Mark) names.remove_prefix(kUtf8Mark.size());
  Fields columns;
  SplitInto(names, columns);
  layout.fieldCount = columns.size();
  std::array<bool, kColumnCount> found{};
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const auto known = std::find(kColumnNames.begin(), kColumnNames.end(), columns[i]);
    const auto column = static_cast<std::size_t>(known - kColumnNames.begin());
    if (known == kColumnNames.end() || found[column]) {
      layout.others.push_back(i);
    } else {
      found[column] = true;
      layout.at[column] = i;
    }
  }
  std::string missing;
  for (std::size_t column = 0; column < kColumnCount; ++column) {
    if (!found[column]) missing += (missing.empty() ? "" : ", ") + std::string(kColumnNames[column]);
  }
  if (!missing.empty()) throw StorageError("the header line lacks the column(s) " + missing);
  layout.headerLine = std::move(line);
  return layout;
}

}  // namespace

std::string FieldText(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  std::string field(text);
  std::replace_if(
      field.begin(), field.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return field;
}

RecordReader::RecordReader(FileAccess& files, const std::string& path)
    : file_(files.OpenForReading(path)), path_(path), buffer_(kBlockBytes) {
  std::string header;
  if (!NextLine(header)) Fail("the file is empty: it has no header line");
  try {
    layout_ = ParseHeader(std::move(header));
  } catch (const StorageError& e) {
    Fail(e.what());
  }
}

void RecordReader::Fail(const std::string& what) const { throw StorageError(path_ + ": " + what); }

void RecordReader::TooLong(std::size_t lineNumber) const {
  Fail("line " + std::to_string(lineNumber) + " is longer than " + std::to_string(kMaxLineBytes) + " bytes");
}

bool RecordReader::NextLine(std::string& line) {
  line.clear();
  bool any = false;
  for (;;) {
    if (begin_ == end_) {
      begin_ = 0;
      end_ = file_->Read(buffer_.data(), buffer_.size());
      if (end_ == 0) break;
    }
    any = true;
    const char* start = buffer_.data() + begin_;
    const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
    const std::size_t take = newline != nullptr ? static_cast<std::size_t>(newline - start) : end_ - begin_;
    // The limit is the writer's, on the line without its CR LF: the CR that
    // ends a line at the limit is one byte more.
    if (line.size() + take > kMaxLineBytes + 1) TooLong(lineNumber_ + 1);
    line.append(start, take);
    begin_ += take;
    if (newline != nullptr) {
      ++begin_;
      break;
    }
  }
  if (!any) return false;
  ++lineNumber_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxLineBytes) TooLong(lineNumber_);
  return true;
}

bool RecordReader::Next(Fields& fields) {
  std::string line;
  do {
    if (!NextLine(line)) return false;
  } while (line.empty());
  SplitInto(line, fields);
  if (fields.size() < layout_.fieldCount)
    Fail("line " + std::to_string(lineNumber_) + " has " + std::to_string(fields.size()) +
         " fields where the header names " + std::to_string(layout_.fieldCount));
  return true;
}

RecordWriter::RecordWriter(FileAccess& files, std::string path)
    : files_(files), path_(std::move(path)), file_(files.Create(path_)) {
  buffer_.reserve(kBlockBytes);
}

RecordWriter::~RecordWriter() {
  if (moved_) return;
  file_.reset();
  files_.Remove(path_);
}

void RecordWriter::Flush() {
  if (buffer_.empty()) return;
  file_->Write(buffer_);
  buffer_.clear();
}

void RecordWriter::WriteLine(std::string_view line) {
  // What is written must read back: a line the reader would refuse is refused here.
  if (line.size() > kMaxLineBytes)
    throw StorageError(path_ + ": a record would be longer than " + std::to_string(kMaxLineBytes) + " bytes");
  if (buffer_.size() + line.size() + 2 > kBlockBytes) Flush();
  buffer_.append(line);
  buffer_.append("\r\n");
}

std::size_t LineLength(const std::vector<std::string>& fields) {
  std::size_t length = fields.empty() ? 0 : fields.size() - 1;
  for (const std::string& field : fields) length += field.size();
  return length;
}

void RecordWriter::Write(const Fields& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += fields[i];
  }
  WriteLine(line);
}

void RecordWriter::Finish() {
  if (finished_) return;
  Flush();
  file_->Finish();
  finished_ = true;
}

void RecordWriter::MoveTo(const std::string& target) {
  Finish();
  files_.Replace(path_, target);
  moved_ = true;
}

std::string TemporaryPathFor(const std::string& database, int stage) {
  return database + (stage == 1 ? ".tmp" : ".tmp" + std::to_string(stage));
}

}  // namespace nexdb
