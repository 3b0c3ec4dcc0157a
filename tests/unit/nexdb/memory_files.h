// Files in memory for the database storage, with the sharing rule of the real
// ones (a file being read cannot be replaced or rewritten), reads of a few
// bytes at a time (lines arrive in pieces) and failures a test orders.
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
  bool failReplace = false;
  bool failWrite = false;
  long failReadAfterBytes = -1;  // a read error once this many bytes were read from one file
  std::string now = "2024-05-06 07:08:09";

  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    if (files.count(path) == 0) throw StorageError("cannot open " + path + ": not found");
    return std::make_unique<Reader>(*this, path);
  }

  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    if (readers_.count(path) != 0) throw StorageError("cannot create " + path + ": in use");
    files[path].clear();
    return std::make_unique<Writer>(*this, path);
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (failReplace) throw StorageError("cannot replace " + to + ": refused by the test");
    if (readers_.count(to) != 0) throw StorageError("cannot replace " + to + ": in use");
    files[to] = files.at(from);
    files.erase(from);
  }

  void Remove(const std::string& path) noexcept override { files.erase(path); }

  std::vector<std::string> FileNames(const std::string& folder) override {
    std::vector<std::string> names;
    for (const auto& file : files)
      if (file.first.starts_with(folder + "\\") &&
          file.first.find('\\', folder.size() + 1) == std::string::npos)
        names.push_back(file.first.substr(folder.size() + 1));
    return names;
  }

  std::string Now() override { return now; }

 private:
  // Reads the content the file had when it was opened, seven bytes at a time.
  class Reader : public InputFile {
   public:
    Reader(MemoryFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {
      content_ = owner_.files.at(path_);
      owner_.readers_.insert(path_);
    }
    ~Reader() override { owner_.readers_.erase(owner_.readers_.find(path_)); }
    std::size_t Read(char* buffer, std::size_t size) override {
      if (owner_.failReadAfterBytes >= 0 && at_ >= static_cast<std::size_t>(owner_.failReadAfterBytes))
        throw StorageError("cannot read " + path_ + ": refused by the test");
      const std::size_t n = std::min({size, std::size_t{7}, content_.size() - at_});
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
    Writer(MemoryFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    void Write(std::string_view data) override {
      if (owner_.failWrite) throw StorageError("cannot write " + path_ + ": disk full");
      owner_.files.at(path_).append(data);
    }
    void Finish() override {}

   private:
    MemoryFiles& owner_;
    std::string path_;
  };

  std::multiset<std::string> readers_;
};

}  // namespace nexdb::testing
