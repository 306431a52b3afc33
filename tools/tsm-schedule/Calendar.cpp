#include "tools/tsm-schedule/Calendar.h"

#include <cstdio>

namespace tsmcal {

// Howard Hinnant's days_from_civil: eras of 400 years, March-based years
// so the leap day is the last day of a year.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Civil CivilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  Civil c;
  c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  c.year = yoe + era * 400 + (c.month <= 2);
  return c;
}

int Weekday(long long days) {
  // 1970-01-01 was a Thursday.
  const long long w = (days + 4) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

int DaysInMonth(long long year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[(month - 1) % 12];
}

long long DayOf(long long seconds) {
  return seconds >= 0 ? seconds / kSecondsPerDay : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
}

std::string FormatDay(long long days) {
  const Civil c = CivilFromDays(days);
  char text[32];
  std::snprintf(text, sizeof(text), "%04lld-%02d-%02d", c.year, c.month, c.day);
  return text;
}

std::string FormatTimeOfDay(long long s) {
  char text[32];
  if (s % 60 != 0)
    std::snprintf(text, sizeof(text), "%02lld:%02lld:%02lld", s / 3600, s % 3600 / 60, s % 60);
  else
    std::snprintf(text, sizeof(text), "%02lld:%02lld", s / 3600, s % 3600 / 60);
  return text;
}

std::string FormatMoment(long long seconds) {
  const long long day = DayOf(seconds);
  return FormatDay(day) + " " + FormatTimeOfDay(seconds - day * kSecondsPerDay);
}

}  // namespace tsmcal
