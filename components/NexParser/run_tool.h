// Running one tool with its console output captured into a file.
#pragma once

#include <windows.h>

#include <string>

namespace nexparser {

struct ToolLimits {
  ULONGLONG timeoutMs;       // the tool and what it started are ended after this
  ULONGLONG maxOutputBytes;  // ... or once its output file grows past this
};

// The limits from "NexParser.ini" beside this library, section [Execute]:
// TimeoutSeconds (default 600) and MaxOutputMegabytes (default 64); a value
// below 1 or missing gives the default.
ToolLimits ReadToolLimits();

// Starts `commandLine` without a shell (a bare name is found the way
// CreateProcess finds it: the application's folder, the current folder, the
// system folders, then PATH), with standard output and standard error going
// into `outputPath` (created or truncated), standard input empty and no
// window, and waits for it to end. Processes the tool leaves running are
// ended with it. Returns 0 once the tool has run, whatever its exit code;
// otherwise the Windows error code: that of starting it (2 when it is not
// found), ERROR_TIMEOUT when it ran past the time limit, ERROR_FILE_TOO_LARGE
// when its output passed the cap (the file then keeps the first bytes up to
// the cap).
DWORD RunTool(std::wstring commandLine, const wchar_t* outputPath, const ToolLimits& limits);

}  // namespace nexparser
