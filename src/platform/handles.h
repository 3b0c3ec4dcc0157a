// RAII owners for the Win32 resources Velkor uses. Each closes with the one
// function that fits its kind; none is copyable, all are movable.
#pragma once

#include <windows.h>

#include <utility>

namespace velkor::platform {

template <class T, class Traits>
class [[nodiscard]] Unique {
 public:
  Unique() = default;
  explicit Unique(T value) : value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Traits::Invalid()));
    return *this;
  }
  ~Unique() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  // For functions that return the resource through a pointer argument.
  T* receive() {
    reset();
    return &value_;
  }
  void reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid()) Traits::Close(value_);
    value_ = value;
  }
  [[nodiscard]] T release() { return std::exchange(value_, Traits::Invalid()); }

 private:
  T value_ = Traits::Invalid();
};

struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
// A kernel handle for which null means failure (processes, snapshots' peers, jobs).
struct HandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
// A kernel handle for which INVALID_HANDLE_VALUE means failure (files, snapshots).
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
struct ChangeNotificationTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindCloseChangeNotification(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE m) { FreeLibrary(m); }
};
struct ScHandleTraits {
  static SC_HANDLE Invalid() { return nullptr; }
  static void Close(SC_HANDLE h) { CloseServiceHandle(h); }
};

using RegKey = Unique<HKEY, RegKeyTraits>;
using Handle = Unique<HANDLE, HandleTraits>;
using FileHandle = Unique<HANDLE, FileHandleTraits>;
using FindHandle = Unique<HANDLE, FindHandleTraits>;
using ChangeNotification = Unique<HANDLE, ChangeNotificationTraits>;
using Module = Unique<HMODULE, ModuleTraits>;
using ScHandle = Unique<SC_HANDLE, ScHandleTraits>;

}  // namespace velkor::platform
