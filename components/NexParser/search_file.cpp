#include "search_file.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "win_handles.h"

namespace nexparser {
namespace {

constexpr std::size_t kUtf16PieceBytes = 64 * 1024;
constexpr std::size_t kMaxRead = 1 << 30;  // one ReadFile asks for at most this much

// Converts UTF-16 text to the system code page and feeds it on.
class AnsiConverter {
 public:
  explicit AnsiConverter(PhraseSearch& search) : search_(search) {}
  void Feed(std::u16string_view units) {
    if (units.empty()) return;
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return;
    ansi_.resize(static_cast<std::size_t>(needed));
    const int written = WideCharToMultiByte(CP_ACP, 0, wide, count, ansi_.data(), needed, nullptr, nullptr);
    if (written > 0) search_.Feed(std::string_view(ansi_.data(), static_cast<std::size_t>(written)));
  }

 private:
  PhraseSearch& search_;
  std::string ansi_;
};

}  // namespace

DWORD SearchFile(const wchar_t* path, PhraseSearch& search) {
  FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr));
  if (!file) return GetLastError();
  const auto read = [&](char* into, std::size_t size, DWORD& count) {
    count = 0;
    return ReadFile(file.get(), into, static_cast<DWORD>(std::min<std::size_t>(size, kMaxRead)), &count,
                    nullptr) != 0;
  };

  char head[2];
  DWORD count = 0;
  if (!read(head, sizeof head, count)) return GetLastError();
  if (StartsWithUtf16LeBom(std::string_view(head, count))) {
    // UTF-16 is read into a buffer of its own and converted on the way.
    std::vector<char> buffer(kUtf16PieceBytes);
    Utf16Framer framer;
    AnsiConverter converter(search);
    do {
      if (!read(buffer.data(), buffer.size(), count)) return GetLastError();
      converter.Feed(framer.Take(std::string_view(buffer.data(), count)));
    } while (count != 0 && !search.AllFound());
    converter.Feed(framer.Finish());
  } else {
    // Bytes go straight into the search's own block.
    search.Feed(std::string_view(head, count));
    while (count != 0 && !search.AllFound()) {
      const std::span<char> space = search.Space();
      if (!read(space.data(), space.size(), count)) return GetLastError();
      search.Commit(count);
    }
  }
  search.Finish();
  return 0;
}

}  // namespace nexparser
