// Owners of the Windows resources the parser library opens.
#pragma once

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>
#include <oleauto.h>

#include <utility>

namespace nexparser {

// A kernel handle; `Invalid` is the value that means "none" for its kind
// (nullptr for most, INVALID_HANDLE_VALUE for files).
template <HANDLE (*Invalid)()>
class BasicHandle {
 public:
  BasicHandle() = default;
  explicit BasicHandle(HANDLE h) : h_(h) {}
  BasicHandle(const BasicHandle&) = delete;
  BasicHandle& operator=(const BasicHandle&) = delete;
  BasicHandle(BasicHandle&& other) noexcept : h_(std::exchange(other.h_, Invalid())) {}
  BasicHandle& operator=(BasicHandle&& other) noexcept {
    if (this != &other) {
      Close();
      h_ = std::exchange(other.h_, Invalid());
    }
    return *this;
  }
  ~BasicHandle() { Close(); }

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != Invalid(); }
  void Close() {
    if (h_ != Invalid()) CloseHandle(h_);
    h_ = Invalid();
  }

 private:
  HANDLE h_ = Invalid();
};

inline HANDLE NullHandle() { return nullptr; }
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

using Handle = BasicHandle<NullHandle>;              // processes, threads, jobs
using FileHandle = BasicHandle<InvalidHandleValue>;  // CreateFile results

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
