#include "platform/phrase_list.h"

namespace velkor::platform {

int StorePhraseList(const PhraseList& phrases, Variant& target) {
  SafeArray array = SafeArray::CreateVariantVector(static_cast<ULONG>(phrases.size()));
  VARIANT* out = target.receive();
  if (!array) return 0;
  LONG index = 0;
  for (const std::string& phrase : phrases) {
    if (!phrase.empty()) PutVariantElement(array.get(), index, Variant(phrase));
    ++index;
  }
  // The caller's value takes the array over and releases it when cleared.
  out->vt = VT_ARRAY | VT_VARIANT;
  out->parray = array.release();
  return static_cast<int>(phrases.size());
}

std::vector<std::optional<std::string>> ReadPhraseList(const Variant& list) {
  std::vector<std::optional<std::string>> texts;
  if (list.type() != (VT_ARRAY | VT_VARIANT)) return texts;
  SAFEARRAY* array = list.get()->parray;
  VARTYPE elementType = VT_EMPTY;
  LONG lower = 0;
  LONG upper = -1;
  if (array == nullptr || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetVartype(array, &elementType)) ||
      elementType != VT_VARIANT || !VectorBounds(array, lower, upper)) {
    return texts;
  }
  for (long long index = lower; index <= upper; ++index) {
    Variant element;
    if (FAILED(GetVariantElement(array, static_cast<LONG>(index), element)) || element.IsEmpty() ||
        element.type() == VT_NULL) {
      texts.emplace_back();
    } else {
      texts.emplace_back(element.ToAnsi());
    }
  }
  return texts;
}

}  // namespace velkor::platform
