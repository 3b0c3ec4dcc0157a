#include "platform/ole.h"

#include <vector>

namespace velkor::platform {

std::wstring AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), needed);
  return wide;
}

namespace {

std::string WideToCodePage(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string converted(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, converted.data(), needed, nullptr, nullptr);
  return converted;
}

}  // namespace

std::string WideToAnsi(std::wstring_view text) { return WideToCodePage(text, CP_ACP); }

std::string AnsiToUtf8(std::string_view text) { return WideToCodePage(AnsiToWide(text), CP_UTF8); }

Bstr::Bstr(std::string_view ansi) {
  const std::wstring wide = AnsiToWide(ansi);
  value_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
  if (this != &other) {
    SysFreeString(value_);
    value_ = std::exchange(other.value_, nullptr);
  }
  return *this;
}

std::string Bstr::ToAnsi() const { return BstrToAnsi(value_); }

std::string BstrToAnsi(BSTR value) {
  if (value == nullptr) return {};
  return WideToAnsi(std::wstring_view(value, SysStringLen(value)));
}

Variant::Variant(std::string_view ansi) {
  VariantInit(&value_);
  Bstr text(ansi);
  value_.vt = VT_BSTR;
  value_.bstrVal = text.release();
}

Variant::Variant(long number) {
  VariantInit(&value_);
  value_.vt = VT_I4;
  value_.lVal = number;
}

Variant::Variant(Variant&& other) noexcept {
  value_ = other.value_;
  VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    VariantInit(&other.value_);
  }
  return *this;
}

std::string Variant::ToAnsi() const {
  if (value_.vt == VT_BSTR) return BstrToAnsi(value_.bstrVal);
  if (value_.vt == VT_EMPTY || value_.vt == VT_NULL) return {};
  VARIANT copy;
  VariantInit(&copy);
  std::string text;
  if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&value_), 0, VT_BSTR)))
    text = BstrToAnsi(copy.bstrVal);
  VariantClear(&copy);
  return text;
}

SafeArray& SafeArray::operator=(SafeArray&& other) noexcept {
  if (this != &other) {
    if (value_ != nullptr) SafeArrayDestroy(value_);
    value_ = std::exchange(other.value_, nullptr);
  }
  return *this;
}

SafeArray SafeArray::CreateVariantVector(ULONG count) {
  SAFEARRAYBOUND bound{count, 0};
  return SafeArray(SafeArrayCreate(VT_VARIANT, 1, &bound));
}

SAFEARRAY* VariantVectorOf(const Variant& value) {
  const VARIANT* v = value.get();
  if (V_VT(v) != (VT_ARRAY | VT_VARIANT) || V_ARRAY(v) == nullptr || SafeArrayGetDim(V_ARRAY(v)) != 1)
    return nullptr;
  return V_ARRAY(v);
}

namespace {
bool CarriesTextOrNumber(VARTYPE type) {
  switch (type) {
    case VT_VARIANT:
    case VT_BSTR:
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}
}  // namespace

SAFEARRAY* TextVectorOf(const VARIANT* value) {
  const VARIANT* v = value;
  while (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v) != nullptr) v = V_VARIANTREF(v);
  SAFEARRAY* array = nullptr;
  if ((V_VT(v) & VT_ARRAY) == 0) return nullptr;
  array = (V_VT(v) & VT_BYREF) != 0 ? (V_ARRAYREF(v) != nullptr ? *V_ARRAYREF(v) : nullptr) : V_ARRAY(v);
  VARTYPE elementType = VT_EMPTY;
  if (array == nullptr || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetVartype(array, &elementType)) ||
      !CarriesTextOrNumber(elementType))
    return nullptr;
  return array;
}

HRESULT GetElementAsVariant(SAFEARRAY* array, LONG index, Variant& out) {
  VARTYPE type = VT_EMPTY;
  if (HRESULT hr = SafeArrayGetVartype(array, &type); FAILED(hr)) return hr;
  if (type == VT_VARIANT) return GetVariantElement(array, index, out);
  if (!CarriesTextOrNumber(type)) return DISP_E_TYPEMISMATCH;
  VARIANT* element = out.receive();
  // Each typed element fits the VARIANT's value field, which it is read into.
  if (HRESULT hr = SafeArrayGetElement(array, &index, &element->llVal); FAILED(hr)) return hr;
  element->vt = type;
  return S_OK;
}

Variant VariantOfVector(SafeArray array) {
  Variant value;
  if (array) {
    V_VT(value.get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(value.get()) = array.release();
  }
  return value;
}

HRESULT GetVariantElement(SAFEARRAY* array, LONG index, Variant& out) {
  return SafeArrayGetElement(array, &index, out.receive());
}

HRESULT PutVariantElement(SAFEARRAY* array, LONG index, const Variant& value) {
  // SafeArrayPutElement copies the VARIANT; the caller keeps its own.
  return SafeArrayPutElement(array, &index, const_cast<VARIANT*>(value.get()));
}

bool VectorBounds(SAFEARRAY* array, LONG& lower, LONG& upper) {
  if (array == nullptr) return false;
  return SUCCEEDED(SafeArrayGetLBound(array, 1, &lower)) && SUCCEEDED(SafeArrayGetUBound(array, 1, &upper));
}

}  // namespace velkor::platform
