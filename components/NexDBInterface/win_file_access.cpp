#include "win_file_access.h"

#include <windows.h>

#include <cstdio>
#include <limits>

#include "platform/file_moves.h"
#include "platform/handles.h"

namespace nexdb {
namespace {

using velkor::platform::FileHandle;
using velkor::platform::FindHandle;

// "<what> <path>: <the system's text> (error <code>)" for the last error.
[[noreturn]] void FailWithLastError(const char* what, const std::string& path) {
  const DWORD code = GetLastError();
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
    --length;
  throw StorageError(std::string(what) + " " + path + ": " + std::string(text, length) + " (error " +
                     std::to_string(code) + ")");
}

class WinInputFile : public InputFile {
 public:
  WinInputFile(FileHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    const auto ask = static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
    if (!ReadFile(file_.get(), buffer, ask, &got, nullptr)) FailWithLastError("cannot read", path_);
    return got;
  }

 private:
  FileHandle file_;
  std::string path_;
};

class WinOutputFile : public OutputFile {
 public:
  WinOutputFile(FileHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
  void Write(std::string_view data) override {
    while (!data.empty()) {
      DWORD written = 0;
      const auto ask =
          static_cast<DWORD>(std::min<std::size_t>(data.size(), std::numeric_limits<DWORD>::max()));
      if (!WriteFile(file_.get(), data.data(), ask, &written, nullptr) || written == 0)
        FailWithLastError("cannot write", path_);
      data.remove_prefix(written);
    }
  }
  void Finish() override {
    if (!file_) return;
    if (!FlushFileBuffers(file_.get())) FailWithLastError("cannot flush", path_);
    if (!CloseHandle(file_.release())) FailWithLastError("cannot close", path_);
  }

 private:
  FileHandle file_;
  std::string path_;
};

}  // namespace

std::unique_ptr<InputFile> WinFileAccess::OpenForReading(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) FailWithLastError("cannot open", path);
  return std::make_unique<WinInputFile>(std::move(file), path);
}

std::unique_ptr<OutputFile> WinFileAccess::Create(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) FailWithLastError("cannot create", path);
  return std::make_unique<WinOutputFile>(std::move(file), path);
}

void WinFileAccess::Replace(const std::string& from, const std::string& to) {
  // A read-only database is never replaced. Windows refuses that move itself;
  // Wine does not, so the rule is kept here for both.
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    FailWithLastError("cannot replace", to);
  }
  // Another program may hold the database for a moment (the agent reading
  // it, a backup, a virus scanner): it is waited for a few seconds. The old
  // file stays whole either way.
  constexpr DWORD kPatienceMs = 5000;
  const DWORD code = velkor::platform::MoveFileWhenFree(
      from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, kPatienceMs);
  if (code != 0) {
    SetLastError(code);
    FailWithLastError("cannot replace", to);
  }
}

void WinFileAccess::Remove(const std::string& path) noexcept { DeleteFileA(path.c_str()); }

std::vector<std::string> WinFileAccess::FileNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data{};
  FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &data));
  if (!search) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_NO_MORE_FILES)
      return names;
    FailWithLastError("cannot list", folder);
  }
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(data.cFileName);
  } while (FindNextFileA(search.get(), &data));
  return names;
}

std::string WinFileAccess::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char text[32] = {};
  (void)std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
  return text;
}

}  // namespace nexdb
