#include "core/line_reader.h"

#include <algorithm>
#include <utility>

namespace velkor {

bool LineReader::Next(std::string& line) {
  std::string read;
  while (read.size() < pieceSize_) {
    int c = std::getc(file_);
    if (c == EOF) break;
    if (c == '\r') {
      const int next = std::getc(file_);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        static_cast<void>(std::ungetc(next, file_));
      }
    }
    read.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  if (read.empty()) return false;
  // As the piece was read into a C string: its text ends at a NUL.
  read.resize(std::min(read.size(), read.find('\0')));
  line = std::move(read);
  return true;
}

}  // namespace velkor
