#include "core/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace velkor {
namespace {

std::vector<std::string> Lines(const std::string& bytes, std::size_t piece) {
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  LineReader reader(file, piece);
  std::vector<std::string> lines;
  for (std::string line; reader.Next(line);) lines.push_back(line);
  std::fclose(file);
  return lines;
}

// As text mode reads on Windows, but a Ctrl-Z is a byte like any other.
TEST(LineReader, CrLfEndsALineAndCtrlZDoesNotEndTheFile) {
  using Lines_ = std::vector<std::string>;
  EXPECT_EQ(Lines("a\r\nb\x1a\r\nc", 100), (Lines_{"a\n", "b\x1a\n", "c"}));
  EXPECT_EQ(Lines("a\rb\r\r\n\r", 100), (Lines_{"a\rb\r\n", "\r"}));
  EXPECT_EQ(Lines("abcdef\r\ng", 3), (Lines_{"abc", "def", "\n", "g"}));
  EXPECT_EQ(Lines("", 3), Lines_{});
  EXPECT_EQ(Lines(std::string("a\0b\nc", 5), 100), (Lines_{"a", "c"}));
}

}  // namespace
}  // namespace velkor
