// The storage's files through Win32, with narrow paths: a database being read
// is shared with readers only, a temporary file with no one, and a database
// is replaced by MoveFileEx in one step, written through to the disk (waiting
// a few seconds for another program that holds it).
#pragma once

#include "file_access.h"

namespace nexdb {

class WinFileAccess : public FileAccess {
 public:
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> Create(const std::string& path) override;
  void Replace(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) noexcept override;
  std::vector<std::string> FileNames(const std::string& folder) override;
  std::string Now() override;
};

}  // namespace nexdb
