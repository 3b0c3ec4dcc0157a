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
  SAFEARRAY* array = velkor::platform::TextVectorOf(&value);
  LONG lower = 0;
  LONG upper = -1;
  if (array == nullptr || !velkor::platform::VectorBounds(array, lower, upper))
    throw StorageError(std::string(what) + " is not a one-dimensional array of texts");
  std::vector<std::optional<std::string>> texts;
  for (LONG i = lower; i <= upper; ++i) {
    Variant element;
    if (FAILED(velkor::platform::GetElementAsVariant(array, i, element)))
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

namespace {

// A text that reads whole as a 32-bit number.
std::optional<LONG> Number(const std::string& text) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const long long value = std::stoll(text);
  return value <= 0x7FFFFFFF ? std::optional<LONG>(static_cast<LONG>(value)) : std::nullopt;
}

VARTYPE ElementType(const std::vector<std::string>& texts, ArrayForm::Kind kind) {
  switch (kind) {
    case ArrayForm::Kind::Texts:
      return VT_BSTR;
    case ArrayForm::Kind::Numbers:
      for (const std::string& text : texts)
        if (!Number(text)) return VT_VARIANT;
      return VT_I4;
    case ArrayForm::Kind::Unexpected:
      return VT_DISPATCH;
    default:
      return VT_VARIANT;
  }
}

}  // namespace

void PutTextArray(VARIANT* out, const std::vector<std::string>& texts, const ArrayForm& form) {
  const VARTYPE type = ElementType(texts, form.kind);
  velkor::platform::SafeArray array(
      SafeArrayCreateVector(type, form.lowerBound, static_cast<ULONG>(texts.size())));
  if (!array) throw std::bad_alloc();
  for (std::size_t i = 0; i < texts.size() && type != VT_DISPATCH; ++i) {
    LONG index = form.lowerBound + static_cast<LONG>(i);
    HRESULT hr = S_OK;
    if (type == VT_VARIANT) {
      hr = velkor::platform::PutVariantElement(array.get(), index, Variant(texts[i]));
    } else if (type == VT_BSTR) {
      const velkor::platform::Bstr text(texts[i]);
      hr = SafeArrayPutElement(array.get(), &index, text.get());
    } else {
      LONG number = *Number(texts[i]);
      hr = SafeArrayPutElement(array.get(), &index, &number);
    }
    if (FAILED(hr)) throw std::bad_alloc();
  }
  VariantClear(out);
  V_VT(out) = VT_ARRAY | type;
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
