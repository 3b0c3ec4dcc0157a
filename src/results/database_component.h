// The monitoring database component as the run calls it: its two classes
// created the program's one way, and one wrapper per method used. A failing
// HRESULT raises the COM error exception, which the caller's catch-all
// handler turns into the end of the run; whether a call succeeded is read
// from its result (VT_EMPTY) and its error text from the error argument.
// Texts are narrow here and become OLE values in platform/ole.h.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "platform/nexdb_api.h"
#include "platform/ole.h"

namespace velkor {

// The program name and application code the component is handed.
inline constexpr char kComponentProgramName[] = "velkor.exe";
inline constexpr char kComponentAppCode[] = "vlk";

// The outcome of a call: success when the result came back VT_EMPTY,
// otherwise the text of the error argument.
struct ComponentOutcome {
  bool succeeded = false;
  std::string errorText;
  explicit operator bool() const { return succeeded; }
};

// An array a component returned: of VARIANTs, or typed with the same data
// (texts, integers), with any lower bound. Every element is read by its
// position from the array's own lower bound on.
class ComponentArray {
 public:
  struct Bounds {
    long lower;
    long upper;
  };
  // Lower and upper bound; none when the value is no one-dimensional array of
  // texts or numbers, or a bound cannot be read.
  std::optional<Bounds> ArrayBounds() const;
  // True when the value is no such array and not empty either (VT_EMPTY).
  bool Unreadable() const;
  // The element at `position` (0 for the first); none when it cannot be read.
  std::optional<platform::Variant> Element(long position) const;
  // The element's text; none when it cannot be read.
  std::optional<std::string> Text(long position) const;

  const platform::Variant& value() const { return value_; }
  platform::Variant& value() { return value_; }

 private:
  platform::Variant value_;
};

// The paths array of GetDBPaths.
class DatabasePaths : public ComponentArray {
 public:
  // Upper minus lower bound plus 1; none when a bound is negative or cannot
  // be read (no database found).
  std::optional<long> DatabaseCount() const;
};

// One page of GetRecords: the row keys and the 24 column arrays.
class RecordPage {
 public:
  // Upper minus lower bound plus 1 of the row keys; none when the upper bound
  // cannot be read or is negative (no rows: the pages end).
  std::optional<long> RowCount() const;
  // The function ID text of row `row` (the row's element of the sixth
  // column); none when the column has no such element.
  std::optional<std::string> FunctionIdText(long row) const { return columns[5].Text(row); }
  // Why the page cannot be read when its row keys or function IDs are no
  // array of texts or numbers (an empty page is readable); none otherwise.
  std::optional<std::string> Unreadable() const;

  ComponentArray rowKeys;
  std::array<ComponentArray, kRecordColumnArrays> columns;
};

// The statuses and error codes UpdateRecords stores for a page: one element
// per row, VT_EMPTY (left as it is) until set.
class RecordResults {
 public:
  explicit RecordResults(long rows);
  void Set(long row, const std::string& status, const std::string& errorCode);

  const platform::Variant& statuses() const { return statuses_; }
  const platform::Variant& errorCodes() const { return errorCodes_; }

 private:
  platform::Variant statuses_;
  platform::Variant errorCodes_;
};

class DatabaseComponentClient {
 public:
  // Creates the DatabaseComponent (releasing any earlier one): S_OK, or the
  // HRESULT of the failing step with no component left.
  HRESULT Create();
  void Release() { component_.reset(); }
  explicit operator bool() const { return static_cast<bool>(component_); }

  // Without a component each call raises the COM error exception E_POINTER.
  ComponentOutcome GetDBPaths(const std::string& configFolder, DatabasePaths& paths);
  // `path` as an element of the paths array; the record count comes back as text.
  ComponentOutcome OpenDB(const platform::Variant& path, std::string& recordCount);
  ComponentOutcome GetRecords(RecordPage& page);
  // Hands back the page's row keys with `results`.
  ComponentOutcome UpdateRecords(const RecordPage& page, const RecordResults& results);
  ComponentOutcome CloseDB();

 private:
  DatabaseComponent& Component() const;

  platform::ComPtr<DatabaseComponent> component_;
};

class ResultComponentClient {
 public:
  // As DatabaseComponentClient::Create, for the ResultComponent.
  HRESULT Create();
  void Release() { component_.reset(); }
  explicit operator bool() const { return static_cast<bool>(component_); }

  ComponentOutcome GetDBPaths(const std::string& configFolder, DatabasePaths& paths);
  // The status and error code of `functionId` in `database` (a paths element);
  // the function ID goes in all three of its places.
  ComponentOutcome SetMonResults(const platform::Variant& database, const std::string& functionId,
                                 const std::string& status, const std::string& errorCode);

 private:
  ResultComponent& Component() const;

  platform::ComPtr<ResultComponent> component_;
};

}  // namespace velkor
