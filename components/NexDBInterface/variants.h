// The component's OLE arguments and results: texts are narrow (system code
// page) inside and become BSTRs only here.
#pragma once

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>

#include <exception>
#include <initializer_list>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace nexdb {

// The text of an in argument: a BSTR, or a value that converts to one (a
// reference is followed); none for VT_EMPTY or VT_NULL. Throws StorageError
// naming `what` for a value that has no text.
std::optional<std::string> OptionalText(const VARIANT& value, const char* what);
// As OptionalText; an absent text throws.
std::string RequiredText(const VARIANT& value, const char* what);
// The elements of a one-dimensional VARIANT array argument, in index order,
// as OptionalText reads them.
std::vector<std::optional<std::string>> TextArray(const VARIANT& value, const char* what);

// The form of the arrays handed out. The component's own is a VARIANT array
// of BSTRs with lower bound 0; the others are those of other makers'
// components (VB-style lower bound 1, typed arrays), which only tests ask for
// (ArrayFormForTests).
struct ArrayForm {
  enum class Kind { Variants, Texts, Numbers, Unexpected };
  Kind kind = Kind::Variants;  // Texts: VT_BSTR elements; Numbers: VT_I4 where every text is a
                               // number; Unexpected: VT_DISPATCH elements, which carry no text
  LONG lowerBound = 0;
};

// Out values: a BSTR, a VT_I4 number, a one-dimensional array of the texts
// (empty for no texts) in `form`.
void PutText(VARIANT* out, const std::string& text);
void PutNumber(VARIANT* out, long number);
void PutTextArray(VARIANT* out, const std::vector<std::string>& texts, const ArrayForm& form = {});

// Runs the body of a method: every out value starts VT_EMPTY; on any failure
// they are cleared again, the result becomes VT_ERROR and `error` the BSTR of
// the failure's text. No exception leaves; the HRESULT is S_OK but for a null
// error or result address.
template <class Body>
HRESULT Respond(VARIANT* error, VARIANT* result, std::initializer_list<VARIANT*> outs, Body&& body) noexcept;

void StartOutValues(VARIANT* error, VARIANT* result, std::initializer_list<VARIANT*> outs) noexcept;
void Fail(VARIANT* error, VARIANT* result, std::initializer_list<VARIANT*> outs, const char* text) noexcept;

template <class Body>
HRESULT Respond(VARIANT* error, VARIANT* result, std::initializer_list<VARIANT*> outs, Body&& body) noexcept {
  if (error == nullptr || result == nullptr) return E_POINTER;
  for (VARIANT* out : outs)
    if (out == nullptr) return E_POINTER;
  StartOutValues(error, result, outs);
  try {
    body();
    return S_OK;
  } catch (const std::bad_alloc&) {
    Fail(error, result, outs, "not enough memory");
  } catch (const std::exception& e) {
    Fail(error, result, outs, e.what());
  } catch (...) {
    Fail(error, result, outs, "an unexpected failure");
  }
  return S_OK;
}

}  // namespace nexdb
