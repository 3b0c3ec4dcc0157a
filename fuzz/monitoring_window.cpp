// The monitoring window and the time stamps over an INI section of any values,
// read as the C library reads them where no number has ten digits or more.
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
#include "support/fake_run_context.h"

namespace {

using velkor::LocalTime;
using velkor::fuzz::Expect;

// The clock: up to seven numbers of the NOW value (year, month, day, hour,
// minute, second, day of the week), each brought into its range.
LocalTime ReadClock(std::string_view value) {
  LocalTime now{2014, 3, 5, 7, 21, 5, 2, 45};
  int* const fields[] = {&now.year,   &now.month,  &now.day,      &now.hour,
                         &now.minute, &now.second, &now.dayOfWeek};
  constexpr int kFirst[] = {1971, 1, 1, 0, 0, 0, 0}, kCount[] = {129, 12, 28, 24, 60, 60, 7};
  std::size_t field = 0;
  for (const char *at = value.data(), *end = at + value.size(); at != end && field < 7;) {
    unsigned number = 0;
    const auto [next, error] = std::from_chars(at, end, number);
    if (error == std::errc{}) *fields[field] = kFirst[field] + static_cast<int>(number % kCount[field]);
    field += next != at;
    at = next == at ? at + 1 : next;
  }
  return now;
}

bool HasLongNumber(std::string_view text) {
  std::size_t run = 0;
  for (const char c : text)
    if ((run = (c >= '0' && c <= '9') ? run + 1 : 0) >= 10) return true;
  return false;
}

void CheckTimeRule(const std::string& value, int kind, const LocalTime& now) {
  if (HasLongNumber(value)) return;
  int h = 0, m = 0, s = 0;
  std::sscanf(value.c_str(), "%d:%d:%d", &h, &m, &s);
  const long long bound = h * 3600LL + m * 60LL + s,
                  current = now.hour * 3600LL + now.minute * 60LL + now.second;
  Expect(velkor::ParseTimeOfDay(value) == bound, "a time of day reads otherwise than with %d:%d:%d");
  Expect(velkor::TimeAndDayMatches(value, kind, now) ==
             (kind == velkor::kFromTimeRule ? current >= bound : current <= bound),
         "a time rule decides otherwise than its bound says");
}

// The day list as strtok splits it.
void CheckDayRule(std::string days, const LocalTime& now) {
  if (days.find('\0') != std::string::npos) return;
  const bool listed = velkor::DayListContains(days, now.dayOfWeek);
  bool model = false;
  char* rest = nullptr;
  for (char* item = strtok_r(days.data(), ",", &rest); item != nullptr; item = strtok_r(nullptr, ",", &rest))
    model = model || std::to_string(now.dayOfWeek) == item;
  Expect(listed == model, "a day list reads otherwise than strtok splits it");
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

  // The line a closed window logs is pinned by the unit tests, key by key.
  velkor::testing::FakeRunContext ctx;
  ctx.clock = now;
  velkor::fuzz::WithinRun([&] { return velkor::SectionAllowsMonitoring(ctx, section); });
}

void CheckStamps(std::map<std::string, std::string>& keys, const LocalTime& now) {
  Expect(velkor::ParseTimeStamp(velkor::FormatTimeStamp(now)) != -1, "a written time stamp cannot be read");

  const std::string& mntime = keys["MNTIME"];
  const auto date = velkor::ParseMnTimeDate(mntime);
  if (!HasLongNumber(mntime)) {
    velkor::CalendarDate library;
    const bool read =
        std::sscanf(mntime.c_str(), "%d/%d/%d", &library.year, &library.month, &library.day) == 3;
    Expect(date.has_value() == read && (!read || *date == library),
           "MNTIME reads otherwise than with %d/%d/%d");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::map<std::string, std::string> keys;
  for (const std::string_view line : velkor::fuzz::SplitAt(velkor::fuzz::InputText(data, size), '\n')) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key(line.substr(0, equals));
    for (char& c : key) c = velkor::AsciiUpper(c);
    keys.emplace(std::move(key), line.substr(equals + 1));
  }
  const LocalTime now = ReadClock(keys["NOW"]);
  CheckSection(keys, now);
  CheckStamps(keys, now);
  return 0;
}
