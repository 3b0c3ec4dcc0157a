// Whether a share listing ("net share") lists a share. Finding the share's
// name anywhere in the report is not enough: NETLOGON's resource path
// ("C:\Windows\SYSVOL\sysvol\<domain>\SCRIPTS") holds the name SYSVOL even
// when the SYSVOL share itself is gone.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// True when `line` begins, after optional blanks or tabs, with `shareName`
// (ASCII letters in either case) followed by a blank, a tab or the end of the
// line. A line end ("\n", "\r\n") at the end of `line` is ignored.
bool IsShareLine(std::string_view line, std::string_view shareName);

// True when a line of `listing` lists `shareName` (IsShareLine). A row that
// continues a path wrapped by a narrow console begins with path text, which
// is followed by a backslash or more text, so it does not count.
bool IsShareListed(std::string_view listing, std::string_view shareName);

// IsShareListed for the listing in the file at `path`, read line by line
// (UTF-16LE with a byte-order mark or single-byte text). False when the file
// cannot be read.
bool IsShareListedInFile(const std::string& path, std::string_view shareName);

}  // namespace velkor
