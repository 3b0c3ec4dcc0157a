// The share listing check over any "net share" output agrees with the rule
// read line by line, and its file (single-byte or UTF-16LE) with its text.
#include "classify/share_listing.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/text.h"
#include "fuzz_support.h"
#include "support/source_files.h"

namespace {

using velkor::fuzz::Expect;

// The rule, line by line: after blanks, the name in any case, then a blank or the line's end.
bool Listed(std::string_view listing, std::string_view name) {
  if (name.empty()) return false;
  for (std::string_view line : velkor::fuzz::SplitAt(listing, '\n')) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (velkor::EqualsIgnoringAsciiCase(line.substr(0, name.size()), name) &&
        (line.size() == name.size() || line[name.size()] == ' ' || line[name.size()] == '\t'))
      return true;
  }
  return false;
}

bool ListedInFile(const std::string& bytes, std::string_view name) {
  const std::string path = "/tmp/velkor_fuzz_share_listing." + std::to_string(::getpid());
  std::ofstream(path, std::ios::binary) << bytes;
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
    if (std::all_of(listing.begin(), listing.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
      Expect(ListedInFile(velkor::testing::Utf16(listing), name) == listed,
             "the UTF-16LE listing read otherwise than its text");
  }
  return 0;
}
