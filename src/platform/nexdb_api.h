// The agent's monitoring database component "NexDBInterface.dll" as Velkor
// creates and calls it: two COM classes with dual (IDispatch-based)
// interfaces. Velkor calls through the vtable, so the order of the methods
// below is the contract, and slots Velkor does not use keep their place.
//
// Every argument is a VARIANT, by value when it goes in and by address when it
// comes out, and every method ends with the result VARIANT: VT_EMPTY on
// success; any other type on failure, the error text then being the BSTR of
// the method's error argument. A failing HRESULT means the call itself could
// not be made (a null address, for instance).
//
// A maker's own component replaces the stand-in by registering these class
// and interface identifiers; they are written nowhere else.
#pragma once

#include <windows.h>
// windows.h first: oaidl.h relies on its types.
#include <oaidl.h>

namespace velkor {

// {52F35986-41A8-4B04-AAC8-C58192BC3067}
inline constexpr CLSID kDatabaseComponentClassId = {
    0x52f35986, 0x41a8, 0x4b04, {0xaa, 0xc8, 0xc5, 0x81, 0x92, 0xbc, 0x30, 0x67}};
// {0E3CF76B-9459-46E6-9E4A-84CDEC4D3C4C}
inline constexpr CLSID kResultComponentClassId = {
    0x0e3cf76b, 0x9459, 0x46e6, {0x9e, 0x4a, 0x84, 0xcd, 0xec, 0x4d, 0x3c, 0x4c}};

inline constexpr char kDatabaseComponentName[] = "NexDBInterface.DatabaseComponent";
inline constexpr char kResultComponentName[] = "NexDBInterface.ResultComponent";

// Number of column arrays GetRecords hands out after the row keys.
inline constexpr int kRecordColumnArrays = 24;

// The test records of the agent's monitoring databases, one database at a time.
// A COM interface: released through its reference count, never deleted, and
// its vtable holds its methods alone (no destructor).
struct DatabaseComponent : public IDispatch {  // NOLINT(cppcoreguidelines-virtual-class-destructor)
  // The next page of rows (about 20); an empty array when none remain.
  //   rowKeys  out: one key per row, handed back unchanged to UpdateRecords
  //   appCode  in: the BSTR application code ("vlk")
  //   column1 .. column24  out: one array per column, row i in element i;
  //            column6 holds each row's function ID as decimal text
  //   error    out: the error text
  virtual HRESULT STDMETHODCALLTYPE
  GetRecords(VARIANT* rowKeys, VARIANT* appCode, VARIANT* column1, VARIANT* column2, VARIANT* column3,
             VARIANT* column4, VARIANT* column5, VARIANT* column6, VARIANT* column7, VARIANT* column8,
             VARIANT* column9, VARIANT* column10, VARIANT* column11, VARIANT* column12, VARIANT* column13,
             VARIANT* column14, VARIANT* column15, VARIANT* column16, VARIANT* column17, VARIANT* column18,
             VARIANT* column19, VARIANT* column20, VARIANT* column21, VARIANT* column22, VARIANT* column23,
             VARIANT* column24, VARIANT* error, VARIANT* result) = 0;
  // Opens one database (a path as GetDBPaths listed it); the record count
  // comes back as a decimal BSTR.
  virtual HRESULT STDMETHODCALLTYPE OpenDB(VARIANT path, VARIANT programName, VARIANT appCode,
                                           VARIANT* recordCount, VARIANT* error, VARIANT* result) = 0;
  // Stores status and error code of the given rows: `rows` as GetRecords gave
  // them; statuses and error codes one element per row, each a BSTR, or
  // VT_EMPTY to leave that field as it is. `reserved` is VT_EMPTY.
  virtual HRESULT STDMETHODCALLTYPE UpdateRecords(VARIANT rows, VARIANT statuses, VARIANT errorCodes,
                                                  VARIANT reserved, VARIANT* error, VARIANT* result) = 0;
  // Ends the open database, writing what UpdateRecords stored.
  virtual HRESULT STDMETHODCALLTYPE CloseDB(VARIANT* error, VARIANT* result) = 0;
  // Not used.
  virtual HRESULT STDMETHODCALLTYPE Reserved5(VARIANT* result) = 0;
  // The full paths of the databases below a configuration folder, as an array
  // of BSTRs with lower bound 0 (empty when there are none). `count` receives
  // their number.
  virtual HRESULT STDMETHODCALLTYPE GetDBPaths(VARIANT configFolder, VARIANT* paths, VARIANT* count,
                                               VARIANT* error, VARIANT* result) = 0;
};

// Results handed straight to a database, record by function ID.
struct ResultComponent : public IDispatch {  // NOLINT(cppcoreguidelines-virtual-class-destructor)
  // Not used.
  virtual HRESULT STDMETHODCALLTYPE Reserved1(VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved2(VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved3(VARIANT* result) = 0;
  // Sets status and error code of every record of `database` whose function
  // ID is `functionId`, or adds such a record (with `groupId` and `testId`)
  // when there is none. `programName` is the caller's ("velkor.exe").
  virtual HRESULT STDMETHODCALLTYPE SetMonResults(VARIANT database, VARIANT programName, VARIANT groupId,
                                                  VARIANT testId, VARIANT functionId, VARIANT status,
                                                  VARIANT errorCode, VARIANT* error, VARIANT* result) = 0;
  // As DatabaseComponent::GetDBPaths.
  virtual HRESULT STDMETHODCALLTYPE GetDBPaths(VARIANT configFolder, VARIANT* paths, VARIANT* count,
                                               VARIANT* error, VARIANT* result) = 0;
};

}  // namespace velkor

// {8C8A8EF8-30EB-4193-A518-A987670AA980}
__CRT_UUID_DECL(velkor::DatabaseComponent, 0x8c8a8ef8, 0x30eb, 0x4193, 0xa5, 0x18, 0xa9, 0x87, 0x67, 0x0a,
                0xa9, 0x80)
// {BE573B0D-5798-4A4C-9723-38D39809B9E6}
__CRT_UUID_DECL(velkor::ResultComponent, 0xbe573b0d, 0x5798, 0x4a4c, 0x97, 0x23, 0x38, 0xd3, 0x98, 0x09, 0xb9,
                0xe6)
