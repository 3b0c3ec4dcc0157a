// The exports of the agent's parser library "NexParser.dll", as Velkor loads
// and calls them. Every argument is an OLE VARIANT; both return non-zero on
// success. A result argument still VT_EMPTY after a call means success; any
// other type means failure, with the error text (a decimal Windows error
// code) as a BSTR. The library sets the result on every call.
#pragma once

#include <windows.h>
// windows.h first: oaidl.h relies on its types.
#include <oaidl.h>

// The declarations below are the ones both sides use: the program takes its
// pointer types from them, and the parser library defines its exports against
// them. On 32-bit Windows the calling convention is part of the contract (the
// library removes the arguments: WINAPI, __stdcall); the library exports the
// plain names, undecorated.
extern "C" {

// str_nexexecute: runs a tool and writes its console output to a file.
//   command     BSTR, the executable name or a full path ending in it
//   parameters  BSTR, may be empty
//   wait, workingFolder, outputStream, errorStream: the BSTRs "yes", "", "1", "2"
//   outputFile  BSTR, full path; created or truncated, complete on return
//   append      the BSTR "no"
//   result      in/out; VT_EMPTY before the first call
int WINAPI str_nexexecute(VARIANT* command, VARIANT* parameters, VARIANT* wait, VARIANT* workingFolder,
                          VARIANT* outputStream, VARIANT* errorStream, VARIANT* outputFile, VARIANT* append,
                          VARIANT* result);

// arr_nexparsefile: which phrases occur in a text file.
//   file     BSTR, full path
//   phrases  VT_ARRAY | VT_VARIANT, one dimension, lower bound 0, n BSTRs;
//            left unchanged
//   hits     out, VT_EMPTY on entry; receives VT_ARRAY | VT_VARIANT of n BSTRs,
//            element i "1" when phrase i occurs and "0" otherwise
//   result   in/out; VT_EMPTY on entry
int WINAPI arr_nexparsefile(VARIANT* file, VARIANT* phrases, VARIANT* hits, VARIANT* result);

}  // extern "C"

namespace velkor {

inline constexpr char kNexParserLibrary[] = "NexParser.dll";
inline constexpr char kNexExecuteExport[] = "str_nexexecute";
inline constexpr char kNexParseFileExport[] = "arr_nexparsefile";

using NexExecuteFn = decltype(&str_nexexecute);
using NexParseFileFn = decltype(&arr_nexparsefile);

}  // namespace velkor
