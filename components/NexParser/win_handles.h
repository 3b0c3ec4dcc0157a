// Owners of the Windows resources the parser library opens.
#pragma once

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>
#include <oleauto.h>

#include <utility>

#include "platform/handles.h"

namespace nexparser {

// Kernel handles: the same owners as the program's.
using Handle = velkor::platform::Handle;          // processes, threads, jobs
using FileHandle = velkor::platform::FileHandle;  // CreateFile results

// A SAFEARRAY this code created and has not handed out yet.
class SafeArrayOwner {
 public:
  explicit SafeArrayOwner(SAFEARRAY* a) : a_(a) {}
  SafeArrayOwner(const SafeArrayOwner&) = delete;
  SafeArrayOwner& operator=(const SafeArrayOwner&) = delete;
  ~SafeArrayOwner() {
    if (a_ != nullptr) SafeArrayDestroy(a_);
  }
  SAFEARRAY* get() const { return a_; }
  SAFEARRAY* release() { return std::exchange(a_, nullptr); }

 private:
  SAFEARRAY* a_;
};

// Direct access to the elements of a SAFEARRAY for the lifetime of the object.
class SafeArrayData {
 public:
  explicit SafeArrayData(SAFEARRAY* a) : a_(a) {
    if (FAILED(SafeArrayAccessData(a_, &data_))) a_ = nullptr;
  }
  SafeArrayData(const SafeArrayData&) = delete;
  SafeArrayData& operator=(const SafeArrayData&) = delete;
  ~SafeArrayData() {
    if (a_ != nullptr) SafeArrayUnaccessData(a_);
  }
  explicit operator bool() const { return a_ != nullptr; }
  VARIANT* variants() const { return static_cast<VARIANT*>(data_); }

 private:
  SAFEARRAY* a_;
  void* data_ = nullptr;
};

}  // namespace nexparser
