// TalLogger.dll: appends each text to the named file, creating the file when
// it is absent. The bytes are on disk when the call returns. The header marker
// and the mode are accepted and need no handling of their own: the caller
// sends the field line itself.
#include <windows.h>

#include "platform/handles.h"
#include "platform/logger_api.h"

// Defined against the declaration in logger_api.h, which fixes its calling convention.
int LogDataToDisk(const char* path, const char* text, int length, const char* /*header*/, int /*mode*/,
                  int* out) {
  if (out != nullptr) *out = 0;
  if (path == nullptr || text == nullptr || length < 0) return 0;
  velkor::platform::FileHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  DWORD written = 0;
  const BOOL ok = WriteFile(file.get(), text, static_cast<DWORD>(length), &written, nullptr);
  if (out != nullptr) *out = static_cast<int>(written);
  return ok && written == static_cast<DWORD>(length) ? 1 : 0;
}
