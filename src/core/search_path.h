// The folder list of a search path variable such as PATH.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// `folders` (entries separated by ";") without the entries that depend on
// the working folder: relative ones (".", "tools", "..\bin"), drive-relative
// ones ("C:tools") and rooted ones without a drive ("\tools"), and empty
// entries. A folder given in full ("C:\Windows", "\\server\share", either
// quoted) is kept as it is, in its place.
std::string WithoutRelativeFolders(std::string_view folders);

}  // namespace velkor
