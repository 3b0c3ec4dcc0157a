#include "platform/com.h"

#include <comdef.h>
#include <ole2.h>

namespace velkor::platform {

namespace {
// CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER
constexpr DWORD kComponentContext = 23;
}  // namespace

void RaiseComError(HRESULT hr) { throw _com_error(hr); }

HRESULT CreateComponent(const CLSID& classId, const IID& interfaceId, void** component) {
  *component = nullptr;
  ComPtr<IUnknown> unknown;
  HRESULT hr = CoCreateInstance(classId, nullptr, kComponentContext, IID_IUnknown, unknown.receive());
  if (FAILED(hr)) return hr;
  hr = OleRun(unknown.get());
  if (FAILED(hr)) return hr;
  hr = unknown->QueryInterface(interfaceId, component);
  if (FAILED(hr)) *component = nullptr;
  return hr;
}

}  // namespace velkor::platform
