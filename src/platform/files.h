// Files and folders, narrow paths.
#pragma once

#include <memory>
#include <string>

namespace velkor::platform {

// True when FindFirstFileA finds an entry for `path`.
bool FileExists(const std::string& path);
// One CreateDirectoryA call; an existing folder or a failure is not reported.
void CreateOneDirectory(const std::string& path);
// Creates every missing folder of `path` (a drive-rooted path); failures are
// ignored. A path longer than limits::kDirectoryPath (250) characters is
// refused: nothing is created and the result is false.
bool MakeDirectoryPath(const std::string& path);
// MoveFileA; false when the move failed.
bool MoveFileTo(const std::string& from, const std::string& to);
// GetWindowsDirectoryA ("C:\\windows"); empty on failure.
std::string WindowsDirectory();
// ExpandEnvironmentStringsA into a buffer of `bufferSize` bytes; empty on failure.
std::string ExpandEnvironment(const std::string& text, unsigned bufferSize = 1024);
// Tells whether the names in one folder may have changed (an entry created,
// removed or renamed) since it was last asked, through a change notification
// on the folder that a thread of its own waits for, so that a caller can keep
// what it learned about a file until then instead of searching for it again.
class FolderWatch {
 public:
  explicit FolderWatch(std::string folder);
  FolderWatch(FolderWatch&&) noexcept;
  FolderWatch& operator=(FolderWatch&&) noexcept;
  ~FolderWatch();

  // True when a name in the folder changed since the last call, and whenever
  // the folder cannot be watched (then every call says so); false only when
  // nothing can have changed. The first call starts the watch and is true.
  bool Changed();

 private:
  class Notification;
  std::string folder_;
  std::unique_ptr<Notification> notification_;
};

// GetShortPathNameA; empty on failure (a missing path fails).
std::string ShortPathName(const std::string& path);

}  // namespace velkor::platform
