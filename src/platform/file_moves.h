// Moving a file into place while another program may hold it for a moment:
// the agent reading a database, a backup, a virus scanner looking at a new
// file. Header only, so that the stand-in components use the same rule.
#pragma once

#include <windows.h>

#include <string>

namespace velkor::platform {

// True when a move failed with `code` because a file is in use: a sharing or
// lock violation, or access denied where neither file is read-only (Wine
// reports a file held open so).
inline bool FailedForAFileInUse(DWORD code, const std::string& from, const std::string& to) {
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return true;
  if (code != ERROR_ACCESS_DENIED) return false;
  for (const std::string* path : {&from, &to}) {
    const DWORD attributes = GetFileAttributesA(path->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
  }
  return true;
}

// MoveFileExA with `flags`, tried again every 100 ms for up to `patienceMs`
// while it fails for a file in use. 0, or the Windows error code of the last try.
inline DWORD MoveFileWhenFree(const std::string& from, const std::string& to, DWORD flags, DWORD patienceMs) {
  constexpr DWORD kPauseMs = 100;
  for (DWORD waited = 0;; waited += kPauseMs) {
    if (MoveFileExA(from.c_str(), to.c_str(), flags)) return 0;
    const DWORD code = GetLastError();
    if (waited >= patienceMs || !FailedForAFileInUse(code, from, to)) return code;
    Sleep(kPauseMs);
  }
}

}  // namespace velkor::platform
