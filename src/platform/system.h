// Time, identity, error texts, debug output and the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/local_time.h"

namespace velkor::platform {

LocalTime LocalNow();
// The time of day on the 12-hour clock of the system default locale ("09:05:02 PM").
std::string TwelveHourTime(const LocalTime& t);
// GetUserNameA with a 1024-byte buffer; empty on failure.
std::string UserName();
std::uint32_t LastError();
void SetLastErrorCode(std::uint32_t code);
// The system's message for `code` (FormatMessageA in `language`, by default the user's), untrimmed; none when
// the system has no text.
std::optional<std::string> SystemErrorText(std::uint32_t code, std::uint32_t language = 0x400);
void DebugOutput(const std::string& text);
void SleepMilliseconds(unsigned milliseconds);
// The arguments after the program name, as the C runtime parsed the command line.
std::vector<std::string> CommandLineArguments();
// The host name as gethostname gives it, with Winsock 2.2 started around the call; none when Winsock cannot
// start.
std::optional<std::string> HostNameFromWinsock();
// GetComputerNameA; empty on failure.
std::string ComputerName();
// True for a 32-bit process on a 64-bit Windows (IsWow64Process); false
// where the system has no such call.
bool RunningUnderWow64();

}  // namespace velkor::platform
