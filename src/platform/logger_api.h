// The logger library's one export, as the activity log calls it:
// LogDataToDisk(path, text, length, header, mode, out). The library appends
// `length` bytes of `text` to the file `path`; `header` is "Header\r\n" on the
// call that writes a new file's field line and null otherwise; `mode` is 2.
#pragma once

extern "C" {
typedef int(__cdecl* LogDataToDiskFunction)(const char* path, const char* text, int length,
                                            const char* header, int mode, int* out);
}

inline constexpr const char kLoggerLibraryName[] = "TalLogger.dll";
inline constexpr const char kLoggerExportName[] = "LogDataToDisk";
