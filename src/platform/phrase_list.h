// Phrase lists at the boundary with the parser component: a one-dimensional
// array of VARIANTs, lower bound 0, one BSTR (system code page) per phrase.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/phrase_list.h"
#include "platform/ole.h"

namespace velkor::platform {

// Makes `target` a VT_ARRAY | VT_VARIANT value holding a copy of `phrases`;
// an empty phrase becomes an empty element (VT_EMPTY). Whatever `target`
// held before is released. Returns the number of elements.
int StorePhraseList(const PhraseList& phrases, Variant& target);

// The elements of the one-dimensional array in `list`, in index order: each
// element's text, or none for an empty element. Nothing when `list` holds no
// array.
std::vector<std::optional<std::string>> ReadPhraseList(const Variant& list);

}  // namespace velkor::platform
