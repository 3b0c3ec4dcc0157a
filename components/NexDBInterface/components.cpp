// DatabaseComponent and ResultComponent: each method turns its OLE arguments
// into texts, calls the storage and hands back OLE values (variants.h).
#include "components.h"

#include <atomic>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/nexdb_api.h"
#include "storage.h"
#include "variants.h"
#include "win_file_access.h"

namespace nexdb {
namespace {

std::atomic<long> liveObjects{0};

// IUnknown and a minimal IDispatch: callers use the vtable, so type
// information and late binding are not offered.
// Release deletes the object of the derived class it counts, hence the
// protected virtual destructor.
template <class Interface>
class DispatchObject : public Interface {  // NOLINT(cppcoreguidelines-virtual-class-destructor)
 public:
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; ids != nullptr && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  DispatchObject() { ++liveObjects; }
  virtual ~DispatchObject() { --liveObjects; }

  // A slot kept for its place only.
  static HRESULT Unused(VARIANT* result) {
    if (result != nullptr) {
      VariantInit(result);
      V_VT(result) = VT_ERROR;
      V_ERROR(result) = E_NOTIMPL;
    }
    return E_NOTIMPL;
  }

  HRESULT ListDatabases(const VARIANT& configFolder, VARIANT* paths, VARIANT* count, VARIANT* error,
                        VARIANT* result) {
    return Respond(error, result, {paths, count}, [&] {
      const std::vector<std::string> found =
          nexdb::ListDatabases(files_, RequiredText(configFolder, "the configuration folder"));
      PutTextArray(paths, found);
      PutNumber(count, static_cast<long>(found.size()));
    });
  }

  WinFileAccess files_;

 private:
  std::atomic<ULONG> references_{0};
};

template <class Object>
HRESULT Create(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  try {
    auto created = std::make_unique<Object>();
    const HRESULT hr = created->QueryInterface(iid, object);
    if (SUCCEEDED(hr)) (void)created.release();  // owned by its reference count from now on
    return hr;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

// The form of the arrays GetRecords hands out: the component's own unless
// "NexDBInterface.ini" beside the DLL asks, in section [Test], for another
// maker's (ArrayForm=Texts, Numbers or Unexpected; ArrayLowerBound=<n>).
// Only tests write that file.
ArrayForm ArrayFormForTests() {
  const std::string path = ModulePath();
  const std::string ini = path.substr(0, path.find_last_of('\\') + 1) + "NexDBInterface.ini";
  char kind[32] = {};
  GetPrivateProfileStringA("Test", "ArrayForm", "", kind, sizeof kind, ini.c_str());
  ArrayForm form;
  const std::string named = kind;
  if (named == "Texts") form.kind = ArrayForm::Kind::Texts;
  if (named == "Numbers") form.kind = ArrayForm::Kind::Numbers;
  if (named == "Unexpected") form.kind = ArrayForm::Kind::Unexpected;
  form.lowerBound = static_cast<LONG>(GetPrivateProfileIntA("Test", "ArrayLowerBound", 0, ini.c_str()));
  return form;
}

class DatabaseObject : public DispatchObject<velkor::DatabaseComponent> {
 public:
  HRESULT STDMETHODCALLTYPE GetRecords(VARIANT* rowKeys, VARIANT*, VARIANT* c1, VARIANT* c2, VARIANT* c3,
                                       VARIANT* c4, VARIANT* c5, VARIANT* c6, VARIANT* c7, VARIANT* c8,
                                       VARIANT* c9, VARIANT* c10, VARIANT* c11, VARIANT* c12, VARIANT* c13,
                                       VARIANT* c14, VARIANT* c15, VARIANT* c16, VARIANT* c17, VARIANT* c18,
                                       VARIANT* c19, VARIANT* c20, VARIANT* c21, VARIANT* c22, VARIANT* c23,
                                       VARIANT* c24, VARIANT* error, VARIANT* result) override {
    VARIANT* const columns[] = {c1,  c2,  c3,  c4,  c5,  c6,  c7,  c8,  c9,  c10, c11, c12,
                                c13, c14, c15, c16, c17, c18, c19, c20, c21, c22, c23, c24};
    static_assert(std::size(columns) == kPageColumns && kPageColumns == velkor::kRecordColumnArrays);
    return Respond(error, result, {rowKeys, c1,  c2,  c3,  c4,  c5,  c6,  c7,  c8,  c9,  c10, c11, c12,
                                   c13,     c14, c15, c16, c17, c18, c19, c20, c21, c22, c23, c24},
                   [&] {
                     const Page page = session_.NextPage();
                     PutTextArray(rowKeys, page.keys, form_);
                     for (std::size_t i = 0; i < kPageColumns; ++i)
                       PutTextArray(columns[i],
                                    i < page.columns.size() ? page.columns[i] : std::vector<std::string>(),
                                    form_);
                   });
  }

  HRESULT STDMETHODCALLTYPE OpenDB(VARIANT path, VARIANT, VARIANT, VARIANT* recordCount, VARIANT* error,
                                   VARIANT* result) override {
    return Respond(error, result, {recordCount}, [&] {
      const std::size_t count = session_.Open(RequiredText(path, "the database path"));
      PutText(recordCount, std::to_string(count));
    });
  }

  HRESULT STDMETHODCALLTYPE UpdateRecords(VARIANT rows, VARIANT statuses, VARIANT errorCodes, VARIANT,
                                          VARIANT* error, VARIANT* result) override {
    return Respond(error, result, {}, [&] {
      const auto keys = TextArray(rows, "the rows");
      const auto statusTexts = TextArray(statuses, "the statuses");
      const auto errorCodeTexts = TextArray(errorCodes, "the error codes");
      if (statusTexts.size() != keys.size() || errorCodeTexts.size() != keys.size())
        throw StorageError(std::to_string(keys.size()) + " rows come with " +
                           std::to_string(statusTexts.size()) + " statuses and " +
                           std::to_string(errorCodeTexts.size()) + " error codes");
      std::vector<RowUpdate> updates;
      for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!keys[i]) throw StorageError("row " + std::to_string(i) + " has no key");
        updates.push_back({*keys[i], statusTexts[i], errorCodeTexts[i]});
      }
      session_.Update(updates);
    });
  }

  HRESULT STDMETHODCALLTYPE CloseDB(VARIANT* error, VARIANT* result) override {
    return Respond(error, result, {}, [&] { session_.Close(); });
  }

  HRESULT STDMETHODCALLTYPE Reserved5(VARIANT* result) override { return Unused(result); }

  HRESULT STDMETHODCALLTYPE GetDBPaths(VARIANT configFolder, VARIANT* paths, VARIANT* count, VARIANT* error,
                                       VARIANT* result) override {
    return ListDatabases(configFolder, paths, count, error, result);
  }

 private:
  DatabaseSession session_{files_};
  const ArrayForm form_ = ArrayFormForTests();
};

class ResultObject : public DispatchObject<velkor::ResultComponent> {
 public:
  HRESULT STDMETHODCALLTYPE Reserved1(VARIANT* result) override { return Unused(result); }
  HRESULT STDMETHODCALLTYPE Reserved2(VARIANT* result) override { return Unused(result); }
  HRESULT STDMETHODCALLTYPE Reserved3(VARIANT* result) override { return Unused(result); }

  HRESULT STDMETHODCALLTYPE SetMonResults(VARIANT database, VARIANT, VARIANT groupId, VARIANT testId,
                                          VARIANT functionId, VARIANT status, VARIANT errorCode,
                                          VARIANT* error, VARIANT* result) override {
    return Respond(error, result, {}, [&] {
      MonResult values;
      values.groupId = OptionalText(groupId, "the group ID").value_or("");
      values.testId = OptionalText(testId, "the test ID").value_or("");
      values.functionId = RequiredText(functionId, "the function ID");
      values.status = OptionalText(status, "the status").value_or("");
      values.errorCode = OptionalText(errorCode, "the error code").value_or("");
      nexdb::SetMonResults(files_, RequiredText(database, "the database"), values);
    });
  }

  HRESULT STDMETHODCALLTYPE GetDBPaths(VARIANT configFolder, VARIANT* paths, VARIANT* count, VARIANT* error,
                                       VARIANT* result) override {
    return ListDatabases(configFolder, paths, count, error, result);
  }
};

}  // namespace

HRESULT CreateDatabaseComponent(REFIID iid, void** object) { return Create<DatabaseObject>(iid, object); }
HRESULT CreateResultComponent(REFIID iid, void** object) { return Create<ResultObject>(iid, object); }
long LiveObjects() { return liveObjects.load(); }

}  // namespace nexdb
