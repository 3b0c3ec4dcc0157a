#include "platform/search_order.h"

#include <windows.h>

#include <string>

#include "core/search_path.h"

namespace velkor::platform {

namespace {

// SetDefaultDllDirectories exists from Windows 8 on (and on 7 and 2008 R2
// with an update); it is looked up so that the program still starts without it.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

// PATH without its entries that name the working folder ("." and the like):
// CreateProcess searches them even when it skips the working folder itself.
void KeepFullFoldersInPath() {
  const DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (size == 0) return;
  std::string path(size, '\0');
  const DWORD length = GetEnvironmentVariableA("PATH", path.data(), size);
  if (length == 0 || length >= size) return;
  path.resize(length);
  const std::string kept = WithoutRelativeFolders(path);
  if (kept != path) SetEnvironmentVariableA("PATH", kept.c_str());
}

}  // namespace

void KeepWorkingFolderOutOfSearch() {
  // The program's folder, the system folder and no other: this drops the
  // working folder from LoadLibrary's search, and PATH with it. Wine honours
  // only this one of the two calls.
  if (SetDefaultDllDirectoriesFunction setDefault = FindSetDefaultDllDirectories())
    setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  // Where the call above is missing: the standard order without the working
  // folder (Windows honours an empty text so).
  SetDllDirectoryA("");
  // CreateProcess skips the working folder for a bare program name whenever
  // this variable is set in the calling process, whatever its value.
  SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", "1");
  KeepFullFoldersInPath();
}

}  // namespace velkor::platform
