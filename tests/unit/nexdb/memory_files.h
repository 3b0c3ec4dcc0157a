// Files in memory for the database storage, with the sharing rules of the
// real ones (a file being read cannot be replaced or rewritten) and failures
// a test can order.
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
  std::map<std::string, std::string> files;
  std::set<std::string> locked;  // opened elsewhere without sharing
  bool failReplace = false;
  bool failWrite = false;
  long failReadAfterBytes = -1;  // a read error once this many bytes were read from one file
  std::size_t readPiece = 7;     // reads return at most this much, to split lines
  std::string now = "2024-05-06 07:08:09";

  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    Refuse(path);
    const auto found = files.find(path);
    if (found == files.end()) throw StorageError("cannot open " + path + ": not found");
    return std::make_unique<Reader>(*this, path, found->second);
  }

  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    Refuse(path);
    if (readers_.count(path) != 0 || writers_.count(path) != 0)
      throw StorageError("cannot create " + path + ": in use");
    files[path].clear();
    return std::make_unique<Writer>(*this, path);
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (failReplace) throw StorageError("cannot replace " + to + ": refused by the test");
    Refuse(to);
    if (readers_.count(to) != 0 || writers_.count(from) != 0)
      throw StorageError("cannot replace " + to + ": in use");
    files[to] = files.at(from);
    files.erase(from);
  }

  void Remove(const std::string& path) noexcept override { files.erase(path); }

  std::vector<std::string> FileNames(const std::string& folder) override {
    std::vector<std::string> names;
    for (const auto& file : files) {
      if (file.first.size() > folder.size() + 1 &&
          file.first.compare(0, folder.size() + 1, folder + "\\") == 0 &&
          file.first.find('\\', folder.size() + 1) == std::string::npos)
        names.push_back(file.first.substr(folder.size() + 1));
    }
    return names;
  }

  std::string Now() override { return now; }

  // The files whose paths start with `prefix`.
  std::vector<std::string> PathsStartingWith(const std::string& prefix) const {
    std::vector<std::string> paths;
    for (const auto& file : files)
      if (file.first.rfind(prefix, 0) == 0) paths.push_back(file.first);
    return paths;
  }

 private:
  class Reader : public InputFile {
   public:
    Reader(MemoryFiles& owner, std::string path, std::string content)
        : owner_(owner), path_(std::move(path)), content_(std::move(content)) {
      owner_.readers_.insert(path_);
    }
    ~Reader() override { owner_.readers_.erase(owner_.readers_.find(path_)); }
    std::size_t Read(char* buffer, std::size_t size) override {
      if (owner_.failReadAfterBytes >= 0 && at_ >= static_cast<std::size_t>(owner_.failReadAfterBytes))
        throw StorageError("cannot read " + path_ + ": refused by the test");
      const std::size_t n = std::min({size, owner_.readPiece, content_.size() - at_});
      std::copy_n(content_.data() + at_, n, buffer);
      at_ += n;
      return n;
    }

   private:
    MemoryFiles& owner_;
    std::string path_;
    std::string content_;
    std::size_t at_ = 0;
  };

  class Writer : public OutputFile {
   public:
    Writer(MemoryFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {
      owner_.writers_.insert(path_);
    }
    ~Writer() override { Finish(); }
    void Write(std::string_view data) override {
      if (owner_.failWrite) throw StorageError("cannot write " + path_ + ": disk full");
      owner_.files.at(path_).append(data);
    }
    void Finish() override { owner_.writers_.erase(path_); }

   private:
    MemoryFiles& owner_;
    std::string path_;
  };

  void Refuse(const std::string& path) const {
    if (locked.count(path) != 0) throw StorageError("cannot open " + path + ": locked");
  }

  std::multiset<std::string> readers_;
  std::set<std::string> writers_;
};

}  // namespace nexdb::testing
