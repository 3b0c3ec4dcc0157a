// TalLogger.dll: appends each text to the named file, creating the file when
// it is absent. The bytes are written when the call returns. The header
// marker and the mode are accepted and need no handling of their own: the
// caller sends the field line itself.
//
// The file written last stays open for the next call, until another file is
// named or the process ends: opening a file for each of the hundreds of
// thousands of lines of a large run would cost more than the run's own work.
// Others may read and write the file meanwhile, but not move or remove it, so
// no line goes to a file that has left its place. A file that cannot be opened
// (another program holds it) is tried again by the next call.
#include <windows.h>

#include <mutex>
#include <string>

#include "platform/handles.h"
#include "platform/logger_api.h"

namespace {

using velkor::platform::FileHandle;

class OpenLog {
 public:
  bool Append(const char* path, const char* text, int length, int* written) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (!file_ || path_ != path) {
      file_.reset(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      path_ = path;
    }
    if (!file_) return false;
    DWORD count = 0;
    const BOOL ok = WriteFile(file_.get(), text, static_cast<DWORD>(length), &count, nullptr);
    if (written != nullptr) *written = static_cast<int>(count);
    if (!ok) file_.reset();  // opened afresh by the next call
    return ok && count == static_cast<DWORD>(length);
  }

 private:
  std::mutex lock_;
  std::string path_;
  FileHandle file_;
};

OpenLog& TheLog() {
  static OpenLog log;
  return log;
}

}  // namespace

// Defined against the declaration in logger_api.h, which fixes its calling convention.
int LogDataToDisk(const char* path, const char* text, int length, const char* /*header*/, int /*mode*/,
                  int* out) {
  if (out != nullptr) *out = 0;
  if (path == nullptr || text == nullptr || length < 0) return 0;
  return TheLog().Append(path, text, length, out) ? 1 : 0;
}
