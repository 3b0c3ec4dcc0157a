// The fixed sizes of the run's texts. Each constant is the largest number of
// characters a text keeps; longer texts are cut with Bounded, never overflow.
// Paths are the exception: a cut path names another folder or file, so a path
// over its limit is refused instead (report/path_limits.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {
namespace limits {
inline constexpr std::size_t kAgentKeyPath = 1023;
inline constexpr std::size_t kInstallationPath = 511;
inline constexpr std::size_t kRegID = 31;
inline constexpr std::size_t kAgentIniPath = 1023;
inline constexpr std::size_t kHostName = 255;
inline constexpr std::size_t kUserName = 1023;
inline constexpr std::size_t kActivityLogPath = 259;
inline constexpr std::size_t kLastErrorText = 1023;
inline constexpr std::size_t kActivityLine = 3071;
inline constexpr std::size_t kEntryType = 99;
inline constexpr std::size_t kDatabaseName = 1023;
inline constexpr std::size_t kStatusDatabaseName = 255;
inline constexpr std::size_t kStatusDescriptionCompared = 511;
inline constexpr std::size_t kStatusDescriptionWritten = 1011;
inline constexpr std::size_t kDirectoryPath = 250;        // a folder MakeDirectoryPath creates
inline constexpr std::size_t kDailyResultLogPath = 1023;  // the daily result log's folder and file
inline constexpr std::size_t kRegistryValue = 1024;
}  // namespace limits

// A copy of `text` cut to at most `max` characters.
inline std::string Bounded(std::string_view text, std::size_t max) {
  return std::string(text.substr(0, max));
}

}  // namespace velkor
