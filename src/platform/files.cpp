#include "platform/files.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>
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

// A thread waits for the folder's change notification and raises a flag, so
// that asking costs no call into the system: the question comes before every
// line of the activity log, hundreds of thousands in a large run.
class FolderWatch::Notification {
 public:
  explicit Notification(const std::string& folder)
      : handle_(FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME)),
        stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!handle_ || !stop_) return;
    try {
      watcher_ = std::thread(&Notification::Watch, this);
    } catch (const std::system_error&) {
      // No thread: the folder counts as unwatched.
    }
  }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  ~Notification() {
    if (!watcher_.joinable()) return;
    SetEvent(stop_.get());
    watcher_.join();
  }

  bool Started() const { return watcher_.joinable(); }
  // Whether a change came since the last call; always true once the watch has failed.
  bool TakeChange() { return changed_.exchange(false) || !watching_.load(); }

 private:
  void Watch() {
    const HANDLE waits[] = {stop_.get(), handle_.get()};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
      // Re-armed before the flag rises: a change after the caller's look
      // raises it again.
      const bool rearmed = FindNextChangeNotification(handle_.get()) != FALSE;
      changed_ = true;
      if (!rearmed) break;
    }
    watching_ = false;
  }

  ChangeNotification handle_;
  Handle stop_;
  std::atomic<bool> changed_{false};
  std::atomic<bool> watching_{true};
  std::thread watcher_;
};

FolderWatch::FolderWatch(std::string folder) : folder_(std::move(folder)) {}

FolderWatch::FolderWatch(FolderWatch&&) noexcept = default;
FolderWatch& FolderWatch::operator=(FolderWatch&&) noexcept = default;
FolderWatch::~FolderWatch() = default;

bool FolderWatch::Changed() {
  if (notification_) return notification_->TakeChange();
  // Started on first use, and again while it cannot start: the folder may
  // only now have been created.
  notification_ = std::make_unique<Notification>(folder_);
  if (!notification_->Started()) notification_.reset();
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
