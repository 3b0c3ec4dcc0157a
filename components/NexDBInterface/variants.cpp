#include "variants.h"

#include "file_access.h"
#include "platform/ole.h"

namespace nexdb {
namespace {

using velkor::platform::Variant;

const VARIANT& Referenced(const VARIANT& value) {
  const VARIANT* at = &value;
  while (V_VT(at) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(at) != nullptr) at = V_VARIANTREF(at);
  return *at;
}

}  // namespace

std::optional<std::string> OptionalText(const VARIANT& value, const char* what) {
  const VARIANT& v = Referenced(value);
  if (V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL) return std::nullopt;
  if (V_VT(&v) == VT_BSTR) return velkor::platform::BstrToAnsi(V_BSTR(&v));
  Variant text;
  if (FAILED(VariantChangeType(text.receive(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
    throw StorageError(std::string(what) + " is not a text");
  return text.ToAnsi();
}

std::string RequiredText(const VARIANT& value, const char* what) {
  std::optional<std::string> text = OptionalText(value, what);
  if (!text) throw StorageError(std::string(what) + " is missing");
  return *std::move(text);
}

std::vector<std::optional<std::string>> TextArray(const VARIANT& value, const char* what) {
  const VARIANT& v = Referenced(value);
  SAFEARRAY* array = nullptr;
  if (V_VT(&v) == (VT_ARRAY | VT_VARIANT))
    array = V_ARRAY(&v);
  else if (V_VT(&v) == (VT_ARRAY | VT_VARIANT | VT_BYREF) && V_ARRAYREF(&v) != nullptr)
    array = *V_ARRAYREF(&v);
  LONG lower = 0;
  LONG upper = -1;
  if (array == nullptr || SafeArrayGetDim(array) != 1 || !velkor::platform::VectorBounds(array, lower, upper))
    throw StorageError(std::string(what) + " is not a one-dimensional array of VARIANTs");
  std::vector<std::optional<std::string>> texts;
  for (LONG i = lower; i <= upper; ++i) {
    Variant element;
    if (FAILED(velkor::platform::GetVariantElement(array, i, element)))
      throw StorageError(std::string(what) + ": element " + std::to_string(i) + " cannot be read");
    texts.push_back(OptionalText(*element.get(), what));
  }
  return texts;
}

void PutText(VARIANT* out, const std::string& text) {
  velkor::platform::Bstr bstr(text);
  if (bstr.get() == nullptr) throw std::bad_alloc();
  VariantClear(out);
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = bstr.release();
}

void PutNumber(VARIANT* out, long number) {
  VariantClear(out);
  V_VT(out) = VT_I4;
  V_I4(out) = number;
}

void PutTextArray(VARIANT* out, const std::vector<std::string>& texts) {
  velkor::platform::SafeArray array =
      velkor::platform::SafeArray::CreateVariantVector(static_cast<ULONG>(texts.size()));
  if (!array) throw std::bad_alloc();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    Variant element(texts[i]);
    if (FAILED(velkor::platform::PutVariantElement(array.get(), static_cast<LONG>(i), element)))
      throw std::bad_alloc();
  }
  VariantClear(out);
  V_VT(out) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(out) = array.release();
}

void StartOutValues(VARIANT* error, VARIANT* result, std::initializer_list<VARIANT*> outs) noexcept {
  VariantInit(error);
  VariantInit(result);
  for (VARIANT* out : outs) VariantInit(out);
}

void Fail(VARIANT* error, VARIANT* result, std::initializer_list<VARIANT*> outs, const char* text) noexcept {
  for (VARIANT* out : outs) VariantClear(out);
  VariantClear(result);
  V_VT(result) = VT_ERROR;
  V_ERROR(result) = E_FAIL;
  try {
    PutText(error, text);
  } catch (...) {
    VariantClear(error);  // the result alone tells of the failure
  }
}

}  // namespace nexdb
