// Wall-clock calendar arithmetic without time zones: a moment is counted in
// seconds from 1970-01-01 00:00 as if the clock were UTC, so a date and a
// time of day map to one number and back the same on every machine. Both
// TSM schedules and the host's run patterns are wall-clock times.
#pragma once

#include <string>

namespace tsmcal {

constexpr long long kSecondsPerDay = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date (month 1-12).
long long DaysFromCivil(long long year, int month, int day);

struct Civil {
  long long year = 1970;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
};
Civil CivilFromDays(long long days);

// 0 Sunday ... 6 Saturday.
int Weekday(long long days);
int DaysInMonth(long long year, int month);

// Floor division of a moment into its day (negative moments included).
long long DayOf(long long seconds);

// "2026-12-07 21:00" (seconds shown only when not zero).
std::string FormatMoment(long long seconds);
// "2026-12-07".
std::string FormatDay(long long days);
// "21:00" from seconds after midnight.
std::string FormatTimeOfDay(long long seconds);

}  // namespace tsmcal
