// The monitoring window and the time stamps over any INI values. The input is
// the text of an INI section: KEY=VALUE lines with this host's DeviceList.ini
// keys, the agent INI file's LASTHRTIME and MNTIME, and NOW, the clock
// (year, month, day, hour, minute, second and day of the week as numbers).
// Where the C library can read a value safely (no number of ten digits or
// more), Velkor's reading must agree with it.
#include "hostchecks/monitoring_window.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "core/text.h"
#include "core/time_stamp.h"
#include "fuzz_support.h"
#include "report/status_xml.h"
#include "support/recording_run_context.h"

namespace {

using velkor::LocalTime;
using velkor::fuzz::Expect;

std::map<std::string, std::string> ReadSection(std::string_view text) {
  std::map<std::string, std::string> keys;
  for (const std::string_view line : velkor::fuzz::SplitAt(text, '\n')) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key(line.substr(0, equals));
    for (char& c : key) c = velkor::AsciiUpper(c);
    keys.emplace(std::move(key), line.substr(equals + 1));
  }
  return keys;
}

// The clock: up to seven numbers of the NOW value, each brought into its range.
LocalTime ReadClock(std::string_view value) {
  struct Field {
    int LocalTime::*member;
    int low, count;
  };
  constexpr Field kFields[] = {{&LocalTime::year, 1971, 129}, {&LocalTime::month, 1, 12},
                               {&LocalTime::day, 1, 28},      {&LocalTime::hour, 0, 24},
                               {&LocalTime::minute, 0, 60},   {&LocalTime::second, 0, 60},
                               {&LocalTime::dayOfWeek, 0, 7}};
  LocalTime now{2014, 3, 5, 7, 21, 5, 2, 45};
  std::size_t at = 0;
  for (const Field& field : kFields) {
    while (at < value.size() && (value[at] < '0' || value[at] > '9')) ++at;
    unsigned number = 0;
    const auto [end, error] = std::from_chars(value.data() + at, value.data() + value.size(), number);
    if (end == value.data() + at) break;
    at = static_cast<std::size_t>(end - value.data());
    if (error == std::errc{}) now.*field.member = field.low + static_cast<int>(number % field.count);
  }
  return now;
}

bool HasLongNumber(std::string_view text) {
  std::size_t run = 0;
  for (const char c : text) {
    run = (c >= '0' && c <= '9') ? run + 1 : 0;
    if (run >= 10) return true;
  }
  return false;
}

// "%d:%d:%d" as the C library reads it, in seconds.
long long LibraryTimeOfDay(const std::string& text) {
  int h = 0, m = 0, s = 0;
  std::sscanf(text.c_str(), "%d:%d:%d", &h, &m, &s);
  return h * 3600LL + m * 60LL + s;
}

// The day list as strtok splits it.
bool LibraryDayListContains(std::string text, int dayOfWeek) {
  const std::string today = std::to_string(dayOfWeek);
  char* rest = nullptr;
  for (char* item = strtok_r(text.data(), ",", &rest); item != nullptr; item = strtok_r(nullptr, ",", &rest))
    if (today == item) return true;
  return false;
}

void CheckTimeRule(const std::string& value, int kind, const LocalTime& now) {
  if (HasLongNumber(value)) return;
  const long long current = now.hour * 3600LL + now.minute * 60LL + now.second;
  const long long bound = LibraryTimeOfDay(value);
  Expect(velkor::ParseTimeOfDay(value) == bound, "a time of day reads otherwise than with %d:%d:%d");
  Expect(velkor::TimeAndDayMatches(value, kind, now) ==
             (kind == velkor::kFromTimeRule ? current >= bound : current <= bound),
         "a time rule decides otherwise than its bound says");
}

void CheckDayRule(const std::string& value, const LocalTime& now) {
  if (value.find('\0') != std::string::npos) return;
  Expect(velkor::DayListContains(value, now.dayOfWeek) == LibraryDayListContains(value, now.dayOfWeek),
         "a day list reads otherwise than strtok splits it");
}

void CheckSection(std::map<std::string, std::string>& keys, const LocalTime& now) {
  const velkor::DeviceSection section{velkor::AtoiLike(keys["TYPE"]),
                                      keys["LOCALMACHINE"],
                                      velkor::AtoiLike(keys["ENABLE"]),
                                      keys["FROMTIME"],
                                      keys["TOTIME"],
                                      keys["DAYSTOMONITOR"]};
  CheckTimeRule(section.fromTime, velkor::kFromTimeRule, now);
  CheckTimeRule(section.toTime, velkor::kToTimeRule, now);
  CheckDayRule(section.daysToMonitor, now);
  for (const int kind : {-1, 3})
    Expect(!velkor::TimeAndDayMatches(section.fromTime, kind, now), "an unknown rule passes");

  velkor::testing::FakeRunContext ctx;
  ctx.clock = now;
  const bool allowed = velkor::fuzz::WithinRun([&] { return velkor::SectionAllowsMonitoring(ctx, section); });
  Expect(ctx.lines.size() == (allowed ? 0u : 1u), "a closed window logs one line, an open one none");
  if (!allowed)
    Expect(ctx.lines[0].module == "CheckPreConditions", "the closed window's line names CheckPreConditions");
}

void CheckStamps(std::map<std::string, std::string>& keys, const LocalTime& now) {
  const std::string stamp = velkor::FormatTimeStamp(now);
  const std::string& last = keys["LASTHRTIME"];
  const bool elapsed = velkor::IsTwelveHoursElapsed(last, stamp);
  Expect(!(elapsed && last == stamp), "a time stamp lies twelve hours after itself");
  Expect(velkor::ParseTimeStamp(stamp) != -1, "a written time stamp cannot be read");

  const std::string& mntime = keys["MNTIME"];
  const auto date = velkor::ParseMnTimeDate(mntime);
  if (!HasLongNumber(mntime)) {
    velkor::CalendarDate library;
    const bool read =
        std::sscanf(mntime.c_str(), "%d/%d/%d", &library.year, &library.month, &library.day) == 3;
    Expect(date.has_value() == read && (!read || *date == library),
           "MNTIME reads otherwise than with %d/%d/%d");
  }
  Expect(velkor::ParseMnTimeDate(velkor::FormatMnTime(now)) ==
             velkor::CalendarDate{now.year, now.month, now.day},
         "a written MNTIME does not read back as its date");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto keys = ReadSection(velkor::fuzz::InputText(data, size));
  const LocalTime now = ReadClock(keys["NOW"]);
  CheckSection(keys, now);
  CheckStamps(keys, now);
  return 0;
}
