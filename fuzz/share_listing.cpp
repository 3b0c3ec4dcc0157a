// The share listing over any "net share" output. A share counts only where a
// line begins with its name; the check must agree with a plain reading of the
// rule on each line, and reading the listing from its file (single-byte or
// UTF-16LE with its byte-order mark) must agree with reading it as text.
#include "classify/share_listing.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/text.h"
#include "fuzz_support.h"

namespace {

using velkor::fuzz::Expect;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The rule, line by line: after blanks, the name in any case, then a blank or the line's end.
bool Listed(std::string_view listing, std::string_view name) {
  if (name.empty()) return false;
  for (std::string_view line : velkor::fuzz::SplitAt(listing, '\n')) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.size() >= name.size() && velkor::EqualsIgnoringAsciiCase(line.substr(0, name.size()), name) &&
        (line.size() == name.size() || IsBlank(line[name.size()])))
      return true;
  }
  return false;
}

bool ListedInFile(const std::string& bytes, std::string_view name) {
  const std::string path = "/tmp/velkor_fuzz_share_listing." + std::to_string(::getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Expect(file != nullptr, "the listing's file cannot be written");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  const bool listed = velkor::IsShareListedInFile(path, name);
  std::remove(path.c_str());
  return listed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view listing = velkor::fuzz::InputText(data, size);
  for (const std::string_view name : {"NETLOGON", "Sysvol", "ADMIN$"}) {
    const bool listed = velkor::IsShareListed(listing, name);
    Expect(listed == Listed(listing, name), "a share read otherwise than the rule says");
    if (listing.find('\0') != std::string_view::npos || listing.starts_with("\xFF\xFE")) continue;
    Expect(ListedInFile(std::string(listing), name) == listed,
           "the listing's file read otherwise than its text");
    bool ascii = true;
    std::string wide = "\xFF\xFE";
    for (const char c : listing) {
      ascii = ascii && static_cast<unsigned char>(c) < 0x80;
      wide += {c, '\0'};
    }
    if (ascii)
      Expect(ListedInFile(wide, name) == listed, "the UTF-16LE listing read otherwise than its text");
  }
  return 0;
}
