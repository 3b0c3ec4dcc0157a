#include "classify/wrapped_verdicts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/text.h"

namespace velkor {

namespace detail {

namespace {
constexpr std::string_view kPassed = "passed test";
constexpr std::string_view kFailed = "failed test";
}  // namespace

template <class Unit>
void VerdictJoiner<Unit>::Remember(Unit u) {
  if (tail_.size() == kPassed.size()) tail_.erase(0, 1);
  tail_.push_back(u);
}

template <class Unit>
bool VerdictJoiner<Unit>::EndsInVerdict() const {
  const auto is = [&](std::string_view verdict) {
    return tail_.size() == verdict.size() &&
           std::equal(tail_.begin(), tail_.end(), verdict.begin(),
                      [](Unit u, char c) { return u == static_cast<Unit>(c); });
  };
  return is(kPassed) || is(kFailed);
}

template <class Unit>
void VerdictJoiner<Unit>::Feed(std::basic_string_view<Unit> units, Text& out) {
  for (const Unit u : units) {
    const bool lineBreak = u == Unit('\n');
    if (IsBlank(u) || lineBreak) {
      if (lineBreak && !afterVerdict_) {
        if (EndsInVerdict()) {
          afterVerdict_ = true;
        } else {
          out += held_;
          out += u;
          held_.clear();
          tail_.clear();
          continue;
        }
      }
      held_.push_back(u);
      continue;
    }
    if (afterVerdict_) {
      // The test name of the verdict: one blank in place of the break.
      afterVerdict_ = false;
      ++joins_;
      held_.assign(1, Unit(' '));
    }
    for (const Unit h : held_) Remember(h);
    out += held_;
    held_.clear();
    Remember(u);
    out += u;
  }
}

template class VerdictJoiner<char>;
template class VerdictJoiner<char16_t>;

}  // namespace detail

void WrappedVerdicts::Feed(std::string_view bytes, std::string& out) {
  if (form_ == Form::Undecided) {
    const std::size_t take = std::min(bytes.size(), 2 - head_.size());
    head_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (head_.size() < 2) return;
    form_ = head_ == "\xFF\xFE" ? Form::Utf16 : Form::Bytes;
    FeedDecided(head_, out);
    head_.clear();
  }
  FeedDecided(bytes, out);
}

void WrappedVerdicts::FeedDecided(std::string_view bytes, std::string& out) {
  if (form_ == Form::Bytes) {
    bytes_.Feed(bytes, out);
  } else {
    FeedWide(bytes, out);
  }
}

void WrappedVerdicts::FeedWide(std::string_view bytes, std::string& out) {
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  std::size_t at = 0;
  const auto unit = [](char low, char high) {
    return static_cast<char16_t>(static_cast<unsigned char>(low) | (static_cast<unsigned char>(high) << 8));
  };
  if (hasOddByte_ && !bytes.empty()) {
    units.push_back(unit(oddByte_, bytes[0]));
    hasOddByte_ = false;
    at = 1;
  }
  for (; at + 1 < bytes.size(); at += 2) units.push_back(unit(bytes[at], bytes[at + 1]));
  if (at < bytes.size()) {
    hasOddByte_ = true;
    oddByte_ = bytes[at];
  }
  std::u16string joined;
  wide_.Feed(units, joined);
  for (const char16_t u : joined) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
}

void WrappedVerdicts::Finish(std::string& out) {
  if (form_ == Form::Undecided) {
    form_ = Form::Bytes;
    bytes_.Feed(head_, out);
    head_.clear();
  }
  if (form_ == Form::Bytes) {
    bytes_.Finish(out);
    return;
  }
  std::u16string rest;
  wide_.Finish(rest);
  for (const char16_t u : rest) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  if (hasOddByte_) out.push_back(oddByte_);  // a last odd byte stays as it was
  hasOddByte_ = false;
}

bool JoinWrappedVerdictsInFile(const std::string& path) {
  constexpr std::size_t kPiece = std::size_t{64} * 1024;
  const std::string joinedPath = path + ".joined";
  WrappedVerdicts joiner;
  bool written = false;
  {
    const CFile in = OpenCFile(path, "rb");
    CFile out = in ? OpenCFile(joinedPath, "wb") : CFile();
    if (!out) return false;
    std::vector<char> buffer(kPiece);
    std::string joined;
    bool whole = true;
    for (std::size_t read; whole && (read = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0;) {
      joined.clear();
      joiner.Feed(std::string_view(buffer.data(), read), joined);
      whole = std::fwrite(joined.data(), 1, joined.size(), out.get()) == joined.size();
    }
    joined.clear();
    joiner.Finish(joined);
    whole = whole && std::ferror(in.get()) == 0 &&
            std::fwrite(joined.data(), 1, joined.size(), out.get()) == joined.size() &&
            std::fflush(out.get()) == 0;
    written = std::fclose(out.release()) == 0 && whole;
  }
  std::error_code error;
  if (written && joiner.Joins() > 0) {
    std::filesystem::rename(joinedPath, path, error);
    if (!error) return true;
  }
  std::filesystem::remove(joinedPath, error);
  return false;
}

std::string JoinWrappedVerdicts(std::string_view report) {
  WrappedVerdicts joiner;
  std::string out;
  out.reserve(report.size());
  joiner.Feed(report, out);
  joiner.Finish(out);
  return out;
}

}  // namespace velkor
