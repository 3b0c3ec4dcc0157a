// Reading a report line by line the way the C runtime's text mode reads it on
// Windows (CR LF becomes LF; a line longer than the buffer comes in pieces),
// but from a file opened in binary mode: text mode takes a Ctrl-Z (0x1A) for
// the end of the file, so a stray one would hide every line after it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace velkor {

class LineReader {
 public:
  // `file` opened with "rb"; each line or piece holds at most `pieceSize`
  // characters, as fgets reads into a buffer one larger.
  explicit LineReader(std::FILE* file, std::size_t pieceSize = 2047) : file_(file), pieceSize_(pieceSize) {}

  // The next line (or piece of one) with its LF, if it has one, up to a NUL
  // in it (as fgets reads into a C string). At the end of the file `line`
  // keeps its text and the result is false.
  bool Next(std::string& line);

 private:
  std::FILE* file_;
  std::size_t pieceSize_;
};

}  // namespace velkor
