#include "platform/files.h"

#include <windows.h>

#include <algorithm>
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

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string ProgramFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      const std::string full(path.data(), length);
      const std::size_t slash = full.find_last_of('\\');
      return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::string ProgramSearchCurrentFolder() {
  if (GetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", nullptr, 0) != 0) return {};
  std::vector<char> folder(MAX_PATH + 1);
  const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data());
  if (length == 0 || length >= folder.size()) return {};
  std::string text(folder.data(), length);
  if (text.back() != '\\') text += '\\';
  return text;
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

std::uint32_t WriteNewFile(const std::string& path, std::string_view bytes) {
  FileHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  DWORD error = 0;
  while (error == 0 && !bytes.empty()) {
    DWORD written = 0;
    const auto ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(file.get(), bytes.data(), ask, &written, nullptr) || written == 0) error = GetLastError();
    bytes.remove_prefix(written);
  }
  if (error == 0 && !FlushFileBuffers(file.get())) error = GetLastError();
  if (!CloseHandle(file.release()) && error == 0) error = GetLastError();
  if (error != 0) DeleteFileA(path.c_str());
  return error;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  for (DWORD read = 0; ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr);) {
    if (read == 0) return bytes;
    bytes.append(buffer, read);
  }
  return std::nullopt;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

std::vector<FoundFile> FindFiles(const std::string& pattern) {
  std::vector<FoundFile> files;
  WIN32_FIND_DATAA data{};
  FindHandle search(FindFirstFileA(pattern.c_str(), &data));
  for (bool more = static_cast<bool>(search); more; more = FindNextFileA(search.get(), &data) != FALSE) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    files.push_back({data.cFileName, (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                         data.ftLastWriteTime.dwLowDateTime});
  }
  return files;
}

}  // namespace velkor::platform
