// COM for the agent's components: the run's apartment, creating a component
// the one way the program does, and the COM error exception.
#pragma once

#include <windows.h>

#include "platform/ole.h"

namespace velkor::platform {

// CoInitialize (single-threaded apartment) for the calling thread, undone by
// Leave or when the owner goes.
class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() { Leave(); }

  HRESULT result() const { return result_; }
  // CoUninitialize, once, when CoInitialize succeeded.
  void Leave() {
    if (SUCCEEDED(result_)) CoUninitialize();
    result_ = E_FAIL;
  }

 private:
  HRESULT result_;
};

// Raises the COM error exception (_com_error) of `hr`.
[[noreturn]] void RaiseComError(HRESULT hr);
inline void CheckHresult(HRESULT hr) {
  if (FAILED(hr)) RaiseComError(hr);
}

// Creates a component: CoCreateInstance of `classId` (no outer object,
// context 23: in-process server and handler, local and remote server) for
// IUnknown, OleRun, QueryInterface for `interfaceId`, the IUnknown released.
// A failing step leaves `*component` null and its HRESULT is the result.
HRESULT CreateComponent(const CLSID& classId, const IID& interfaceId, void** component);

// The same into an owner, which first releases what it held.
template <class Interface>
HRESULT CreateComponent(const CLSID& classId, ComPtr<Interface>& component) {
  return CreateComponent(classId, __uuidof(Interface), component.receive());
}

}  // namespace velkor::platform
