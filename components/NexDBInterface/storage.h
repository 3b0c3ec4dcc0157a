// The monitoring databases below a configuration folder: listing them,
// reading one page by page while its updates are stored, and handing results
// to a database by function ID.
//
// Memory stays within a page whatever the size of a database: an open
// database keeps only the page handed out last. Every record before that page
// is already written, with its updates, to a temporary file beside the
// database, and every record after it is still unread in the database itself.
// Closing copies the unread rest and puts the temporary file in the
// database's place in one step, so a database is never half-written, and one
// that is not closed keeps its old content.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "file_access.h"

namespace nexdb {

inline constexpr std::size_t kPageRows = 20;
// Column arrays a page carries after the row keys.
inline constexpr std::size_t kPageColumns = 24;

// The full paths of the "*.tsv" files in the folder "Databases" of
// `configFolder`, in name order regardless of case; none when there is no
// such folder.
std::vector<std::string> ListDatabases(FileAccess& files, const std::string& configFolder);

// One page of records: each row's key, and each column after RecordKey (the
// known ones in their order, then the others in file order, at most
// kPageColumns) with one value per row.
struct Page {
  std::vector<std::string> keys;
  std::vector<std::vector<std::string>> columns;
};

// What to store for one row; an absent value leaves its field as it is.
struct RowUpdate {
  std::string key;
  std::optional<std::string> status;
  std::optional<std::string> errorCode;
};

// The one database a DatabaseComponent has open, from Open to Close.
class DatabaseSession {
 public:
  explicit DatabaseSession(FileAccess& files);
  DatabaseSession(const DatabaseSession&) = delete;
  DatabaseSession& operator=(const DatabaseSession&) = delete;
  // A database still open is left as it was.
  ~DatabaseSession();

  // Opens `path`, checking every line of it; returns the number of records.
  std::size_t Open(const std::string& path);
  // The next page of at most kPageRows records; empty when none remain.
  Page NextPage();
  // Stores status, error code and the time of the update for each row; when
  // one of the keys is unknown, nothing is stored.
  void Update(const std::vector<RowUpdate>& rows);
  // Writes the database with everything stored and closes it. On failure the
  // file keeps its old content; the database is closed either way.
  void Close();

 private:
  class Cursor;
  void RequireOpen() const;

  FileAccess& files_;
  std::unique_ptr<Cursor> cursor_;
  std::string broken_;  // why the open database can no longer be read
};

// What SetMonResults stores. Group and test ID go only into a record it adds.
struct MonResult {
  std::string groupId;
  std::string testId;
  std::string functionId;
  std::string status;
  std::string errorCode;
};

// Sets status, error code and the time of every record of the database
// `path` whose FunctionID is `result.functionId`, or adds such a record with
// a new RecordKey when there is none, and replaces the file at once.
void SetMonResults(FileAccess& files, const std::string& path, const MonResult& result);

}  // namespace nexdb
