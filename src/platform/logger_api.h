// The logger library's one export, as the activity log calls it:
// LogDataToDisk(path, text, length, header, mode, out). The library appends
// `length` bytes of `text` to the file `path`; `header` is "Header\r\n" on the
// call that writes a new file's field line and null otherwise; `mode` is 2.
//
// The declaration below is the one both sides use: the program takes its
// pointer type from it, and the logger library defines the export against it.
// On 32-bit Windows the calling convention is part of the contract (the caller
// removes the arguments: __cdecl); the library exports the plain name.
#pragma once

extern "C" int __cdecl LogDataToDisk(const char* path, const char* text, int length, const char* header,
                                     int mode, int* out);

using LogDataToDiskFunction = decltype(&LogDataToDisk);

inline constexpr const char kLoggerLibraryName[] = "TalLogger.dll";
inline constexpr const char kLoggerExportName[] = "LogDataToDisk";
