#include "search_file.h"

#include <string>
#include <vector>

#include "win_handles.h"

namespace nexparser {
namespace {

constexpr DWORD kPieceBytes = 256 * 1024;

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

  std::vector<char> buffer(kPieceBytes);
  Utf16Framer framer;
  AnsiConverter converter(search);
  bool first = true;
  bool utf16 = false;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), kPieceBytes, &read, nullptr)) return GetLastError();
    if (read == 0) break;
    std::string_view piece(buffer.data(), read);
    if (first) {
      first = false;
      utf16 = StartsWithUtf16LeBom(piece);
      if (utf16) piece.remove_prefix(2);
    }
    if (utf16) {
      converter.Feed(framer.Take(piece));
    } else {
      search.Feed(piece);
    }
    if (search.AllFound()) break;
  }
  if (utf16) converter.Feed(framer.Finish());
  search.Finish();
  return 0;
}

}  // namespace nexparser
