#include "classify/share_listing.h"

#include <cstdio>

#include "core/text.h"

namespace velkor {
namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// Reads the file's lines one after another. UTF-16LE text (with its
// byte-order mark) is narrowed: share names are plain ASCII, so any other
// character becomes "?".
class ListingReader {
 public:
  explicit ListingReader(std::FILE* file) : file_(file) {
    const int first = std::fgetc(file_);
    const int second = first == EOF ? EOF : std::fgetc(file_);
    if (first == 0xFF && second == 0xFE) {
      wide_ = true;
    } else {
      std::rewind(file_);
    }
  }

  // The next line without its line end; false at the end of the file.
  bool Next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
      const int c = wide_ ? NextWideUnit() : std::fgetc(file_);
      if (c == EOF) return any;
      any = true;
      if (c == '\n') return true;
      line.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
  }

 private:
  int NextWideUnit() {
    const int low = std::fgetc(file_);
    if (low == EOF) return EOF;
    const int high = std::fgetc(file_);
    if (high == EOF) return EOF;
    return low | (high << 8);
  }

  std::FILE* file_;
  bool wide_ = false;
};

}  // namespace

bool IsShareLine(std::string_view line, std::string_view shareName) {
  if (shareName.empty()) return false;
  line = WithoutLineEnd(line);
  std::size_t at = 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  line.remove_prefix(at);
  if (line.size() < shareName.size() || !EqualsIgnoringAsciiCase(line.substr(0, shareName.size()), shareName))
    return false;
  return line.size() == shareName.size() || IsBlank(line[shareName.size()]);
}

bool IsShareListed(std::string_view listing, std::string_view shareName) {
  while (!listing.empty()) {
    const std::size_t end = listing.find('\n');
    if (IsShareLine(listing.substr(0, end), shareName)) return true;
    if (end == std::string_view::npos) break;
    listing.remove_prefix(end + 1);
  }
  return false;
}

bool IsShareListedInFile(const std::string& path, std::string_view shareName) {
  // Binary mode: the reader handles both line ends and UTF-16 itself.
  const CFile file = OpenCFile(path, "rb");
  if (!file) return false;
  ListingReader reader(file.get());
  std::string line;
  while (reader.Next(line)) {
    if (IsShareLine(line, shareName)) return true;
  }
  return false;
}

}  // namespace velkor
