// A local wall-clock reading, as the Windows local time gives it.
#pragma once

namespace velkor {

struct LocalTime {
  int year = 0;
  int month = 0;      // 1..12
  int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  int day = 0;        // 1..31
  int hour = 0;       // 0..23
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

}  // namespace velkor
