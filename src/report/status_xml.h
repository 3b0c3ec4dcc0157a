// The status file the agent posts: its name, its pieces and the stored
// emission time. Texts are escaped, and bytes XML cannot carry replaced, so
// that any value gives well-formed XML; ordinary values come out unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/local_time.h"

namespace velkor {

// A status description as one line: an INI value cannot hold line breaks, so
// trailing ones (system error texts end with CRLF) go and inner ones become a blank.
std::string SingleLineDescription(std::string_view description);

// "Y/M/D h:m:s" without leading zeros, as stored in MNTIME.
std::string FormatMnTime(const LocalTime& t);

struct CalendarDate {
  int year = 0, month = 0, day = 0;
  bool operator==(const CalendarDate&) const = default;
};
// The date of a stored MNTIME, read as "%d/%d/%d" with numbers out of range
// saturated; none when the text does not start with three numbers.
std::optional<CalendarDate> ParseMnTimeDate(const std::string& text);

// "radedavivururaz_N_<regid>_velkor_<Y><M><D><h><m><s><ms>.txt", numbers
// without leading zeros. The registration identifier is only text in the
// name: each character that cannot stand in a Windows file name or that
// separates a path (\ / : * ? " < > | and control characters) becomes "_".
std::string StatusFileName(std::string_view regId, const LocalTime& t);
// What FindFirstFile finds the status files of any registration identifier with.
inline constexpr std::string_view kStatusFilePattern = "radedavivururaz_N_*_velkor_*.txt";

// `text` with a "?" for every byte that XML cannot carry: control characters
// other than tab, line feed and carriage return, and bytes that are not part
// of a UTF-8 sequence of a character XML allows (such as letters of the system
// code page, or a sequence cut short). The length stays the same.
std::string XmlCharacters(std::string_view text);
// XmlCharacters with "&", "<" and ">" as entities.
std::string EscapeXmlText(std::string_view text);
// A CDATA section holding XmlCharacters of `original`; a "]]>" inside is
// split across two sections.
std::string CdataSection(std::string_view original);

// The description inside <edesc> for a stored STATUS and ERRORDESC.
std::string EdescText(std::string_view status, std::string_view errorDesc);

// The four pieces of the file, each written on its own (line feeds become CRLF in text mode).
std::string StatusHeaderPiece(std::string_view regId, const LocalTime& t);
std::string StatusBlockPiece(std::string_view status, std::string_view databaseName,
                             std::string_view errorDesc);
inline constexpr std::string_view kStatusFunctionPiece = "\n<szfunc funid=''><![CDATA[]]></szfunc>";
inline constexpr std::string_view kStatusFooterPiece = "\n</radedavivururaz>";

// The whole file as it lies on the disk: the four pieces with CR LF line
// breaks, as text mode writes them.
std::string StatusFileText(std::string_view headerPiece, std::string_view blockPiece);
// True for a file that StatusFileText composed whole: a write cut short
// lacks its end.
bool IsWholeStatusFile(std::string_view text);

}  // namespace velkor
