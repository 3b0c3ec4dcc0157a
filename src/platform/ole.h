// OLE Automation values at the boundary with the agent's components: owners
// for BSTR, VARIANT, SAFEARRAY and COM pointers, and the one place where
// narrow texts (system code page) become wide ones and back.
#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <oaidl.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace velkor::platform {

// Narrow (CP_ACP) <-> wide conversions.
std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);
// Narrow (CP_ACP) text as UTF-8, for files read as UTF-8 such as XML.
std::string AnsiToUtf8(std::string_view text);

class [[nodiscard]] Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view ansi);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept;
  ~Bstr() { SysFreeString(value_); }

  BSTR get() const { return value_; }
  [[nodiscard]] BSTR release() { return std::exchange(value_, nullptr); }
  std::string ToAnsi() const;

 private:
  BSTR value_ = nullptr;
};

// Narrow text of a BSTR (empty for null).
std::string BstrToAnsi(BSTR value);

class [[nodiscard]] Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(std::string_view ansi);  // VT_BSTR
  explicit Variant(long number);            // VT_I4
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }
  // Clears the current value and hands out the address for a callee to fill.
  VARIANT* receive() {
    VariantClear(&value_);
    return &value_;
  }
  VARTYPE type() const { return value_.vt; }
  bool IsEmpty() const { return value_.vt == VT_EMPTY; }
  // The value as narrow text: a BSTR's text, a number in decimal, else "".
  std::string ToAnsi() const;
  void Clear() { VariantClear(&value_); }

 private:
  VARIANT value_{};
};

class [[nodiscard]] SafeArray {
 public:
  SafeArray() = default;
  explicit SafeArray(SAFEARRAY* array) : value_(array) {}
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  SafeArray(SafeArray&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  SafeArray& operator=(SafeArray&& other) noexcept;
  ~SafeArray() {
    if (value_ != nullptr) SafeArrayDestroy(value_);
  }

  // A one-dimensional VT_VARIANT array with lower bound 0, every element VT_EMPTY.
  static SafeArray CreateVariantVector(ULONG count);

  SAFEARRAY* get() const { return value_; }
  [[nodiscard]] SAFEARRAY* release() { return std::exchange(value_, nullptr); }
  explicit operator bool() const { return value_ != nullptr; }

 private:
  SAFEARRAY* value_ = nullptr;
};

// The one-dimensional VT_VARIANT array `value` holds; null for any other value.
SAFEARRAY* VariantVectorOf(const Variant& value);
// The one-dimensional array `value` holds when its elements carry texts or
// numbers: VARIANTs, or typed the way some components hand them out (BSTRs,
// integers); null for any other value. A reference is followed.
SAFEARRAY* TextVectorOf(const VARIANT* value);
inline SAFEARRAY* TextVectorOf(const Variant& value) { return TextVectorOf(value.get()); }
// Element `index` of such an array as a VARIANT (a BSTR or an integer as it is).
HRESULT GetElementAsVariant(SAFEARRAY* array, LONG index, Variant& out);
// A VT_ARRAY | VT_VARIANT value that owns `array`.
Variant VariantOfVector(SafeArray array);

// Reads/writes element `index` of a one-dimensional VT_VARIANT array.
HRESULT GetVariantElement(SAFEARRAY* array, LONG index, Variant& out);
HRESULT PutVariantElement(SAFEARRAY* array, LONG index, const Variant& value);

// Lower and upper bound of dimension 1; false when the query fails.
bool VectorBounds(SAFEARRAY* array, LONG& lower, LONG& upper);

// A COM interface pointer, released when the owner goes.
template <class I>
class [[nodiscard]] ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = std::exchange(other.value_, nullptr);
    }
    return *this;
  }
  ~ComPtr() { reset(); }

  I* get() const { return value_; }
  I* operator->() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  void** receive() {
    reset();
    return reinterpret_cast<void**>(&value_);
  }
  void reset() {
    if (value_ != nullptr) std::exchange(value_, nullptr)->Release();
  }

 private:
  I* value_ = nullptr;
};

}  // namespace velkor::platform
