// Files and folders, narrow paths.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// Puts `from` in the place of `to` in one step (MoveFileExA, replacing it);
// false when the move failed.
bool ReplaceFileWith(const std::string& from, const std::string& to);
// True when `path` names a file (not a folder).
bool IsFile(const std::string& path);
// The folder of the running program, with a trailing backslash; empty when unknown.
std::string ProgramFolder();
// The working folder, with a trailing backslash, when a program started by
// its bare name is looked for there (the process has not set
// NoDefaultCurrentDirectoryInExePath); otherwise empty.
std::string ProgramSearchCurrentFolder();
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

// Creates the file `path`, which must not exist yet, with `bytes`: every write
// checked, flushed to the disk and closed. 0, or the Windows error code; a
// file that could not be written whole is removed again.
std::uint32_t WriteNewFile(const std::string& path, std::string_view bytes);
// The whole content of a file; none when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// DeleteFileA; false when it failed.
bool RemoveFile(const std::string& path);

struct FoundFile {
  std::string name;         // without its folder
  std::uint64_t lastWrite;  // FILETIME, 100 ns units
};
// The files (not folders) that `pattern` ("<folder>\<wildcards>") finds.
std::vector<FoundFile> FindFiles(const std::string& pattern);

}  // namespace velkor::platform
