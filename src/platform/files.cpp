#include "platform/files.h"

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "core/text_limits.h"
#include "platform/handles.h"

namespace velkor::platform {

bool FileExists(const std::string& path) {
  WIN32_FIND_DATAA data{};
  FindHandle found(FindFirstFileA(path.c_str(), &data));
  return static_cast<bool>(found);
}

struct FolderWatch::Notification {
  ChangeNotification handle;
};

FolderWatch::FolderWatch(std::string folder)
    : folder_(std::move(folder)), notification_(std::make_unique<Notification>()) {}

FolderWatch::FolderWatch(FolderWatch&&) noexcept = default;
FolderWatch& FolderWatch::operator=(FolderWatch&&) noexcept = default;
FolderWatch::~FolderWatch() = default;

bool FolderWatch::Changed() {
  ChangeNotification& handle = notification_->handle;
  if (!handle) {
    // Started on first use, and again after any failure: the folder may only
    // now have been created.
    handle.reset(FindFirstChangeNotificationA(folder_.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    return true;
  }
  if (WaitForSingleObject(handle.get(), 0) == WAIT_TIMEOUT) return false;
  // Re-armed before the caller looks again, so that a change after its look is
  // reported by the next call.
  if (!FindNextChangeNotification(handle.get())) handle.reset();
  return true;
}

void CreateOneDirectory(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

bool MakeDirectoryPath(const std::string& path) {
  if (path.size() > limits::kDirectoryPath) return false;
  // Skip the drive root's backslash, then create every prefix that ends at a backslash.
  const std::string::size_type first = path.find('\\');
  if (first != std::string::npos) {
    for (std::string::size_type at = path.find('\\', first + 1); at != std::string::npos;
         at = path.find('\\', at + 1)) {
      CreateOneDirectory(path.substr(0, at + 1));
    }
  }
  CreateOneDirectory(path);
  return true;
}

bool MoveFileTo(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

std::string WindowsDirectory() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string ExpandEnvironment(const std::string& text, unsigned bufferSize) {
  std::vector<char> buffer(bufferSize, '\0');
  const DWORD length = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), bufferSize);
  if (length == 0 || length > bufferSize) return {};
  return std::string(buffer.data());
}

std::string ShortPathName(const std::string& path) {
  const DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::vector<char> buffer(needed + 1, '\0');
  const DWORD length = GetShortPathNameA(path.c_str(), buffer.data(), needed + 1);
  if (length == 0 || length > needed) return {};
  return std::string(buffer.data(), length);
}

}  // namespace velkor::platform
