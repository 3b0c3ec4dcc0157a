// NexParser.dll, the agent's parser library: runs a diagnostic tool into a
// text file (str_nexexecute) and searches such a file for phrases
// (arr_nexparsefile). Failures come back as the decimal Windows error code in
// the result argument; no exception ever leaves an export.
#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oleauto.h>

#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "phrase_search.h"
#include "platform/nexparser_api.h"
#include "run_tool.h"
#include "search_file.h"
#include "tool_command.h"
#include "win_handles.h"

namespace nexparser {
namespace {

// Sets the result argument: VT_EMPTY for success, otherwise the error code as
// decimal text (or VT_ERROR when not even that text can be allocated).
void SetResult(VARIANT* result, DWORD code) noexcept {
  if (result == nullptr) return;
  VariantClear(result);
  if (code == 0) return;
  wchar_t text[12];
  std::size_t at = 11;
  text[at] = L'\0';
  do {
    text[--at] = static_cast<wchar_t>(L'0' + code % 10);
    code /= 10;
  } while (code != 0);
  BSTR bstr = SysAllocString(text + at);
  if (bstr != nullptr) {
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = bstr;
  } else {
    V_VT(result) = VT_ERROR;
    V_ERROR(result) = E_OUTOFMEMORY;
  }
}

// Runs the body of an export, which returns 0 or a Windows error code, and
// turns its outcome, exceptions included, into the result and return value.
template <class Body>
int Export(VARIANT* result, Body&& body) noexcept {
  DWORD code = ERROR_INTERNAL_ERROR;
  try {
    code = body();
  } catch (const std::bad_alloc&) {
    code = ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    code = ERROR_INTERNAL_ERROR;
  }
  SetResult(result, code);
  return code == 0 ? 1 : 0;
}

// The text of a BSTR argument; an absent or VT_EMPTY/VT_NULL one reads as
// empty where `mayBeAbsent`, any other type gives nothing.
std::optional<std::wstring> Text(const VARIANT* arg, bool mayBeAbsent) {
  if (arg != nullptr && V_VT(arg) == VT_BSTR) {
    BSTR bstr = V_BSTR(arg);
    return bstr == nullptr ? std::wstring() : std::wstring(bstr, SysStringLen(bstr));
  }
  if (mayBeAbsent && (arg == nullptr || V_VT(arg) == VT_EMPTY || V_VT(arg) == VT_NULL)) return std::wstring();
  return std::nullopt;
}

std::string ToAnsi(BSTR text) {
  const int length = static_cast<int>(SysStringLen(text));
  if (length == 0) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), needed, nullptr, nullptr);
  return ansi;
}

// The one-dimensional array of VARIANTs in the phrase argument, or null.
SAFEARRAY* PhraseArray(const VARIANT* arg) {
  if (arg == nullptr) return nullptr;
  SAFEARRAY* array = nullptr;
  if (V_VT(arg) == (VT_ARRAY | VT_VARIANT)) {
    array = V_ARRAY(arg);
  } else if (V_VT(arg) == (VT_ARRAY | VT_VARIANT | VT_BYREF) && V_ARRAYREF(arg) != nullptr) {
    array = *V_ARRAYREF(arg);
  }
  return array != nullptr && SafeArrayGetDim(array) == 1 ? array : nullptr;
}

// The phrases in the system code page; an element that is not text becomes
// an empty phrase, which is never found.
std::optional<std::vector<std::string>> ReadPhrases(SAFEARRAY* array) {
  LONG lower = 0;
  LONG upper = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
    return std::nullopt;
  std::vector<std::string> phrases;
  if (upper < lower) return phrases;
  SafeArrayData data(array);
  if (!data) return std::nullopt;
  const auto count = static_cast<std::size_t>(static_cast<LONGLONG>(upper) - lower + 1);
  phrases.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const VARIANT& element = data.variants()[i];
    phrases.push_back(V_VT(&element) == VT_BSTR ? ToAnsi(V_BSTR(&element)) : std::string());
  }
  return phrases;
}

// Hands out the hit list: an array of "1"/"0" texts, one per phrase.
void SetHits(VARIANT* hits, const PhraseSearch& search) {
  SafeArrayOwner array(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(search.Count())));
  if (array.get() == nullptr) throw std::bad_alloc();
  {
    SafeArrayData data(array.get());
    if (!data) throw std::bad_alloc();
    for (std::size_t i = 0; i < search.Count(); ++i) {
      BSTR text = SysAllocString(search.Found(i) ? L"1" : L"0");
      if (text == nullptr) throw std::bad_alloc();
      V_VT(&data.variants()[i]) = VT_BSTR;
      V_BSTR(&data.variants()[i]) = text;
    }
  }
  VariantClear(hits);
  V_VT(hits) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(hits) = array.release();
}

}  // namespace
}  // namespace nexparser

// The exports are defined against their declarations in nexparser_api.h,
// which fix their calling convention.

// Arguments 3 to 6 and 8 are the texts "yes", "", "1", "2" and "no" from
// every caller. They are read as: wait for the tool to end ("yes"), no
// working folder of its own, so the caller's current folder (""), standard
// output (stream 1) and standard error (stream 2) both into the output file,
// which is not appended to but created or truncated ("no"). That is the only
// behaviour this library offers, so it accepts these arguments whatever they
// hold and does not look at them.
int str_nexexecute(VARIANT* command, VARIANT* parameters, VARIANT* /*wait*/, VARIANT* /*workingFolder*/,
                   VARIANT* /*outputStream*/, VARIANT* /*errorStream*/, VARIANT* outputFile,
                   VARIANT* /*append*/, VARIANT* result) {
  using namespace nexparser;
  return Export(result, [&]() -> DWORD {
    const auto tool = Text(command, false);
    const auto arguments = Text(parameters, true);
    const auto output = Text(outputFile, false);
    if (!tool || !arguments || !output || tool->empty() || output->empty()) return ERROR_INVALID_PARAMETER;
    return RunTool(BuildCommandLine(*tool, *arguments), output->c_str(), ReadToolLimits());
  });
}

int arr_nexparsefile(VARIANT* file, VARIANT* phrases, VARIANT* hits, VARIANT* result) {
  using namespace nexparser;
  return Export(result, [&]() -> DWORD {
    const auto path = Text(file, false);
    SAFEARRAY* array = PhraseArray(phrases);
    if (!path || path->empty() || array == nullptr || hits == nullptr) return ERROR_INVALID_PARAMETER;
    const auto texts = ReadPhrases(array);
    if (!texts) return ERROR_INVALID_PARAMETER;
    PhraseSearch search(*texts);
    const DWORD code = SearchFile(path->c_str(), search);
    if (code != 0) return code;
    SetHits(hits, search);
    return 0;
  });
}
