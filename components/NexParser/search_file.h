// Searching a report file for phrases.
#pragma once

#include <windows.h>

#include "phrase_search.h"

namespace nexparser {

// Feeds the file at `path` to `search` and finishes it; a file that starts
// with a UTF-16LE byte-order mark is converted to the system code page first.
// Reads in fixed-size pieces and stops early once every phrase is found.
// Returns 0, or the Windows error code of opening or reading the file.
DWORD SearchFile(const wchar_t* path, PhraseSearch& search);

}  // namespace nexparser
