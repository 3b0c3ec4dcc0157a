#include "report/status_xml.h"

#include <cstdio>

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
  std::snprintf(buffer, sizeof buffer, "%d/%d/%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buffer;
}

std::optional<CalendarDate> ParseMnTimeDate(const std::string& text) {
  CalendarDate date;
  if (std::sscanf(text.c_str(), "%d/%d/%d", &date.year, &date.month, &date.day) != 3) return std::nullopt;
  return date;
}

std::string StatusFileName(std::string_view regId, const LocalTime& t) {
  char digits[128];
  std::snprintf(digits, sizeof digits, "%d%d%d%d%d%d%d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                t.milliseconds);
  std::string name = "radedavivururaz_N_";
  name.append(regId).append("_velkor_").append(digits).append(".txt");
  return name;
}

std::string EscapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
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

std::string CdataSection(std::string_view text) {
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
  std::snprintf(mntime, sizeof mntime, "%d/%d/%d %d:%d:%d", t.month, t.day, t.year, t.hour, t.minute,
                t.second);
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
