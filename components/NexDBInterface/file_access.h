// What the database storage needs of the file system. The component provides
// it with Win32 calls (win_file_access.h); tests provide files in memory.
// Every failure throws StorageError with a text for the component's caller.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nexdb {

class StorageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Up to `size` bytes into `buffer`; 0 at the end of the file.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

class OutputFile {
 public:
  // A file that was not finished is closed as it is.
  virtual ~OutputFile() = default;
  virtual void Write(std::string_view data) = 0;
  // Flushes the file to the disk and closes it.
  virtual void Finish() = 0;
};

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Opens an existing file for reading; others may read it meanwhile, but not
  // write, rename or delete it.
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;
  // Creates a file or empties an existing one; no one else may open it meanwhile.
  virtual std::unique_ptr<OutputFile> Create(const std::string& path) = 0;
  // Puts `from` in the place of `to` in one step, written through to the disk.
  virtual void Replace(const std::string& from, const std::string& to) = 0;
  // Deletes a file; a failure is ignored.
  virtual void Remove(const std::string& path) noexcept = 0;
  // The names of the files (not folders) in `folder`; none when it does not exist.
  virtual std::vector<std::string> FileNames(const std::string& folder) = 0;
  // The local time as "YYYY-MM-DD hh:mm:ss".
  virtual std::string Now() = 0;
};

}  // namespace nexdb
