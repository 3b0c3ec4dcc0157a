#include "report/status_xml.h"

#include <array>
#include <cstdio>

#include "core/text.h"
#include "core/text_limits.h"

namespace velkor {

std::string SingleLineDescription(std::string_view description) {
  while (!description.empty() && (description.back() == '\r' || description.back() == '\n'))
    description.remove_suffix(1);
  std::string line;
  line.reserve(description.size());
  for (std::size_t i = 0; i < description.size(); ++i) {
    const char c = description[i];
    if (c != '\r' && c != '\n') {
      line += c;
    } else if (c == '\n' || i + 1 == description.size() || description[i + 1] != '\n') {
      line += ' ';
    }
  }
  return line;
}

std::string FormatMnTime(const LocalTime& t) {
  char buffer[96];
  // Any clock reading fits; snprintf would cut a longer text at the buffer's end.
  static_cast<void>(std::snprintf(buffer, sizeof buffer, "%d/%d/%d %d:%d:%d", t.year, t.month, t.day, t.hour,
                                  t.minute, t.second));
  return buffer;
}

std::optional<CalendarDate> ParseMnTimeDate(const std::string& text) {
  std::array<int, 3> fields{0, 0, 0};
  if (ScanDecimals(text, '/', fields) != fields.size()) return std::nullopt;
  return CalendarDate{fields[0], fields[1], fields[2]};
}

std::string StatusFileName(std::string_view regId, const LocalTime& t) {
  char digits[128];
  static_cast<void>(std::snprintf(digits, sizeof digits, "%d%d%d%d%d%d%d", t.year, t.month, t.day, t.hour,
                                  t.minute, t.second, t.milliseconds));
  std::string name = "radedavivururaz_N_";
  for (const char c : regId) {
    const bool separatesOrIsRefused = static_cast<unsigned char>(c) < 0x20 ||
                                      std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    name += separatesOrIsRefused ? '_' : c;
  }
  name.append("_velkor_").append(digits).append(".txt");
  return name;
}

namespace {
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}
}  // namespace

std::string StatusFileText(std::string_view headerPiece, std::string_view blockPiece) {
  std::string text(headerPiece);
  text.append(blockPiece).append(kStatusFunctionPiece).append(kStatusFooterPiece);
  return WithCrLf(text);
}

bool IsWholeStatusFile(std::string_view text) {
  static const std::string head = WithCrLf("<radedavivururaz>\n<regid>");
  static const std::string tail =
      WithCrLf(std::string("</edesc>").append(kStatusFunctionPiece).append(kStatusFooterPiece));
  return text.starts_with(head) && text.ends_with(tail);
}

namespace {

// The lead bytes of UTF-8 sequences of two, three and four bytes, with the
// bits they carry and the least character each length may encode.
struct SequenceForm {
  unsigned char firstLead, lastLead;
  std::size_t length;
  unsigned leadBits;
  char32_t least;
};
constexpr SequenceForm kSequenceForms[] = {
    {0xC2, 0xDF, 2, 0x1F, 0x80}, {0xE0, 0xEF, 3, 0x0F, 0x800}, {0xF0, 0xF4, 4, 0x07, 0x10000}};

bool IsXmlCharacter(char32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF) && c != 0xFFFE && c != 0xFFFF;
}

// The length of the UTF-8 sequence of a character XML allows at `at`; 0 when
// the byte there starts none.
std::size_t XmlCharacterLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return IsXmlCharacter(lead) ? 1 : 0;
  for (const SequenceForm& form : kSequenceForms) {
    if (lead < form.firstLead || lead > form.lastLead) continue;
    if (text.size() - at < form.length) return 0;
    char32_t code = lead & form.leadBits;
    for (std::size_t i = 1; i < form.length; ++i) {
      if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
      code = (code << 6) | (byte(at + i) & 0x3Fu);
    }
    return code >= form.least && IsXmlCharacter(code) ? form.length : 0;
  }
  return 0;
}

}  // namespace

std::string XmlCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = XmlCharacterLength(text, at);
    if (length == 0) {
      out += '?';
      ++at;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

std::string EscapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : XmlCharacters(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string CdataSection(std::string_view original) {
  const std::string characters = XmlCharacters(original);
  const std::string_view text = characters;
  std::string out = "<![CDATA[";
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find("]]>", at);
    if (end == std::string_view::npos) {
      out.append(text.substr(at));
      break;
    }
    // Close the section between "]]" and ">" and open a new one for the rest.
    out.append(text.substr(at, end - at)).append("]]]]><![CDATA[>");
    at = end + 3;
  }
  out += "]]>";
  return out;
}

namespace {
bool IsStatus(std::string_view status, char digit) { return status.size() == 1 && status[0] == digit; }
}  // namespace

std::string EdescText(std::string_view status, std::string_view errorDesc) {
  const std::string_view desc = errorDesc.substr(0, limits::kStatusDescriptionWritten);
  if (IsStatus(status, '0')) return CdataSection(desc.empty() ? "No Error found" : desc);
  if (IsStatus(status, '1')) return CdataSection("Success");
  if (IsStatus(status, '2')) return CdataSection(desc.empty() ? "FuncID status error" : desc);
  return {};
}

std::string StatusHeaderPiece(std::string_view regId, const LocalTime& t) {
  char mntime[96];
  static_cast<void>(std::snprintf(mntime, sizeof mntime, "%d/%d/%d %d:%d:%d", t.month, t.day, t.year, t.hour,
                                  t.minute, t.second));
  std::string piece = "<radedavivururaz>\n<regid>";
  piece.append(EscapeXmlText(regId)).append("</regid>\n<mntime>").append(mntime).append("</mntime>");
  return piece;
}

std::string StatusBlockPiece(std::string_view status, std::string_view databaseName,
                             std::string_view errorDesc) {
  std::string piece = "\n<status>";
  piece.append(EscapeXmlText(status))
      .append("</status>\n<dbname>")
      .append(EscapeXmlText(databaseName))
      .append("</dbname>\n<modid>29</modid>\n<edesc>")
      .append(EdescText(status, errorDesc))
      .append("</edesc>");
  return piece;
}

}  // namespace velkor
