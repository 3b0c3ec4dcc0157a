// A RunContext that records every activity line, status report, cleanup and
// trace, and reads a clock its user sets. Free of the test framework, so the
// fuzz targets use it too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_context.h"

namespace velkor::testing {

struct LoggedLine {
  std::string module, type, message, detail, extra;
  bool operator==(const LoggedLine&) const = default;
};

class FakeRunContext : public RunContext {
 public:
  void LogActivity(std::string_view module, std::string_view type, std::string_view message,
                   std::string_view detail, std::string_view extra) override {
    lines.push_back({std::string(module), std::string(type), std::string(message), std::string(detail),
                     std::string(extra)});
  }
  void ReportStatus(std::string_view description) override {
    ErrorReported = true;
    statuses.emplace_back(description);
  }
  void FormatErrorText(std::uint32_t code) override { LastErrorText = "system text " + std::to_string(code); }
  std::uint32_t LastSystemError() const override { return lastError; }
  void ShutdownCleanup() override { ++cleanups; }
  void DebugTrace(std::string_view text) override { traces.emplace_back(text); }
  LocalTime Now() override { return clock; }

  std::vector<LoggedLine> lines;
  std::vector<std::string> statuses;
  std::vector<std::string> traces;
  int cleanups = 0;
  std::uint32_t lastError = 0;
  LocalTime clock{2014, 3, 5, 7, 21, 5, 2, 45};
};

}  // namespace velkor::testing
