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

  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    readers_.insert(path);
    return std::make_unique<Reader>(*this, path);
  }

  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    if (readers_.count(path) != 0) throw StorageError("cannot create " + path + ": in use");
    files[path].clear();
    return std::make_unique<Writer>(*this, path);
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (failing == "replace") throw StorageError("cannot replace " + to + ": the disk failed");
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

  std::string Now() override { return "2024-05-06 07:08:09"; }

 private:
  struct Reader : InputFile {
    Reader(MemoryFiles& files, std::string name) : owner(files), path(std::move(name)) {}
    ~Reader() override { owner.readers_.erase(owner.readers_.find(path)); }
    std::size_t Read(char* buffer, std::size_t size) override {
      if (owner.failing == "read") throw StorageError("cannot read " + path + ": the disk failed");
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
      if (owner.failing == "write") throw StorageError("cannot write " + path + ": the disk failed");
      owner.files.at(path).append(data);
    }
    void Finish() override {}
    MemoryFiles& owner;
    std::string path;
  };

  std::multiset<std::string> readers_;
};

}  // namespace nexdb::testing
