// A RunContext that records its lines, status reports and cleanups and reads
// a clock its user sets; free of the test framework, for the fuzz targets too.
#pragma once

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/run_context.h"

namespace velkor::testing {

struct LoggedLine {
  std::string module, type, message, detail, extra;
  bool operator==(const LoggedLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const LoggedLine& l) {
  return os << l.module << '|' << l.type << '|' << l.message << '|' << l.detail << '|' << l.extra;
}

class FakeRunContext : public RunContext {
 public:
  void LogActivity(std::string_view module, std::string_view type, std::string_view message,
                   std::string_view detail, std::string_view extra) override {
    lines.push_back({std::string(module), std::string(type), std::string(message), std::string(detail),
                     std::string(extra)});
  }
  void ReportStatus(std::string_view description) override { statuses.emplace_back(description); }
  void FormatErrorText(std::uint32_t code) override { LastErrorText = "system text " + std::to_string(code); }
  std::uint32_t LastSystemError() const override { return lastError; }
  void ShutdownCleanup() override { ++cleanups; }
  void DebugTrace(std::string_view) override {}
  LocalTime Now() override { return clock; }

  // The lines as "module|type|message|detail|extra", each ended by a line feed.
  std::string Logged() const {
    std::ostringstream text;
    for (const LoggedLine& line : lines) text << line << '\n';
    return text.str();
  }

  std::vector<LoggedLine> lines;
  std::vector<std::string> statuses;
  int cleanups = 0;
  std::uint32_t lastError = 0;
  LocalTime clock{2014, 3, 5, 7, 21, 5, 2, 45};
};

}  // namespace velkor::testing
