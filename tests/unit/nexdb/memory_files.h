// Files in memory for the database storage, with the sharing rule of the real
// ones (a file being read cannot be replaced or rewritten), reads of seven
// bytes at a time (lines arrive in pieces) and a failing disk a test orders.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "file_access.h"

namespace nexdb::testing {

class MemoryFiles : public FileAccess {
 public:
  std::map<std::string, std::string> files;  // a file opened that is not here fails the test
  std::string failing;                       // the operation that fails: "read", "write" or "replace"
  std::string now = "2024-05-06 07:08:09";

  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    return std::make_unique<Reader>(*this, path);
  }

  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    if (readers_.count(path) != 0) throw StorageError("cannot create " + path + ": in use");
    files[path].clear();
    return std::make_unique<Writer>(*this, path);
  }

  void Replace(const std::string& from, const std::string& to) override {
    MayFail("replace");
    if (readers_.count(to) != 0) throw StorageError("cannot replace " + to + ": in use");
    files[to] = files.at(from);
    files.erase(from);
  }

  void Remove(const std::string& path) noexcept override { files.erase(path); }

  std::vector<std::string> FileNames(const std::string& folder) override {
    std::vector<std::string> names;
    for (const auto& file : files)
      if (file.first.starts_with(folder + "\\")) names.push_back(file.first.substr(folder.size() + 1));
    return names;
  }

  std::string Now() override { return now; }

 private:
  void MayFail(const std::string& operation) const {
    if (failing == operation) throw StorageError("cannot " + operation + ": the disk failed");
  }

  struct Reader : InputFile {
    Reader(MemoryFiles& files, std::string name) : owner(files), path(std::move(name)) {
      owner.readers_.insert(path);
    }
    ~Reader() override { owner.readers_.erase(owner.readers_.find(path)); }
    std::size_t Read(char* buffer, std::size_t size) override {
      owner.MayFail("read");
      const std::size_t n = owner.files.at(path).copy(buffer, std::min<std::size_t>(size, 7), at);
      at += n;
      return n;
    }
    MemoryFiles& owner;
    std::string path;
    std::size_t at = 0;
  };

  struct Writer : OutputFile {
    Writer(MemoryFiles& files, std::string name) : owner(files), path(std::move(name)) {}
    void Write(std::string_view data) override {
      owner.MayFail("write");
      owner.files.at(path).append(data);
    }
    void Finish() override {}
    MemoryFiles& owner;
    std::string path;
  };

  std::multiset<std::string> readers_;
};

}  // namespace nexdb::testing
