// The in-process server: class objects, the DLL's COM exports, and its
// registration as Windows registers one (the class under HKCR\CLSID with its
// InprocServer32 path and apartment threading, and a ProgID). A 32-bit DLL
// registered by a 32-bit process lands in the 32-bit view of a 64-bit system,
// where 32-bit clients look for it.
#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <olectl.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "components.h"
#include "platform/handles.h"
#include "platform/nexdb_api.h"

namespace {

std::atomic<long> serverLocks{0};

using CreateFunction = HRESULT (*)(REFIID, void**);

// A class object lives as long as the DLL: it is never deleted.
class ClassFactory final : public IClassFactory {  // NOLINT(cppcoreguidelines-virtual-class-destructor)
 public:
  explicit ClassFactory(CreateFunction create) noexcept : create_(create) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++serverLocks : --serverLocks;
    return S_OK;
  }

 private:
  CreateFunction create_;
};

ClassFactory databaseFactory(nexdb::CreateDatabaseComponent);
ClassFactory resultFactory(nexdb::CreateResultComponent);

struct ServerClass {
  const CLSID& id;
  const char* progId;
  ClassFactory& factory;
};
const ServerClass kClasses[] = {
    {velkor::kDatabaseComponentClassId, velkor::kDatabaseComponentName, databaseFactory},
    {velkor::kResultComponentClassId, velkor::kResultComponentName, resultFactory},
};

std::string GuidText(const GUID& id) {
  char text[40] = {};
  (void)std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", id.Data1,
                      id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4],
                      id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

// Sets the value `name` (the default value for null) of HKCR\`key`, creating the key.
LSTATUS SetClassesValue(const std::string& key, const char* name, const std::string& value) {
  velkor::platform::RegKey opened;
  LSTATUS status = RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, opened.receive(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return RegSetValueExA(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size()) + 1);
}

// Deletes the keys of every class, innermost first; keys already gone are fine.
LSTATUS DeleteClassKeys() {
  LSTATUS failure = ERROR_SUCCESS;
  for (const ServerClass& c : kClasses) {
    const std::string classKey = "CLSID\\" + GuidText(c.id);
    const std::string progIdKey = c.progId;
    for (const std::string& key :
         {classKey + "\\InprocServer32", classKey + "\\ProgID", classKey, progIdKey + "\\CLSID", progIdKey}) {
      const LSTATUS status = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
      if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) failure = status;
    }
  }
  return failure;
}

LSTATUS WriteClassKeys(const std::string& modulePath) {
  for (const ServerClass& c : kClasses) {
    const std::string classKey = "CLSID\\" + GuidText(c.id);
    for (const LSTATUS status :
         {SetClassesValue(classKey, nullptr, c.progId),
          SetClassesValue(classKey + "\\InprocServer32", nullptr, modulePath),
          SetClassesValue(classKey + "\\InprocServer32", "ThreadingModel", "Apartment"),
          SetClassesValue(classKey + "\\ProgID", nullptr, c.progId),
          SetClassesValue(std::string(c.progId) + "\\CLSID", nullptr, GuidText(c.id))}) {
      if (status != ERROR_SUCCESS) return status;
    }
  }
  return ERROR_SUCCESS;
}

}  // namespace

namespace nexdb {

std::string ModulePath() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&databaseFactory), &self))
    return {};
  std::vector<char> path(32768, '\0');
  const DWORD length = GetModuleFileNameA(self, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return {};
  return std::string(path.data(), length);
}

}  // namespace nexdb

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (const ServerClass& c : kClasses) {
    if (IsEqualCLSID(classId, c.id)) return c.factory.QueryInterface(iid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return nexdb::LiveObjects() == 0 && serverLocks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  try {
    const std::string path = nexdb::ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    const LSTATUS status = WriteClassKeys(path);
    if (status == ERROR_SUCCESS) return S_OK;
    DeleteClassKeys();
    return HRESULT_FROM_WIN32(status);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    const LSTATUS status = DeleteClassKeys();
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}
