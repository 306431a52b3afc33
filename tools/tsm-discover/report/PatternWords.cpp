#include "tools/tsm-discover/report/PatternWords.h"

#include <cstdio>
#include <ctime>

#include "host/Messages.h"
#include "tools/tsm-discover/report/MessageRead.h"
#include "tools/tsm-discover/report/ReportModel.h"
#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmreport {
namespace {

using Pattern = TMMsg::SubTaskPattern;
using Days = TMMsg::DaysToRun;

constexpr long long kSecondsPerHour = 3600;
constexpr long long kSecondsPerDay = 86400;
constexpr long long kMonthsPerYear = 12;

const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const kWeekNames[] = {"first", "second", "third", "fourth", "last"};

// Day code: 1 Sunday ... 7 Saturday, 8 any day, 9 weekday, 10 weekend day.
std::string DayCodeWords(long long code) {
  if (code >= 1 && code <= 7) return kDayNames[code - 1];
  if (code == 8) return "day";
  if (code == 9) return "weekday";
  if (code == 10) return "weekend day";
  return "day " + std::to_string(code);
}

std::string WeekWords(long long week) {
  return week >= 1 && week <= 5 ? kWeekNames[week - 1] : "week " + std::to_string(week);
}

std::string MonthWords(long long month) {
  return month >= 1 && month <= 12 ? kMonthNames[month - 1] : "month " + std::to_string(month);
}

// The month of a pattern date (0 when unset).
long long MonthOf(long long date) {
  if (date == 0) return 0;
  time_t t = static_cast<time_t>(date);
  tm parts;
  if (gmtime_r(&t, &parts) == nullptr) return 0;
  return parts.tm_mon + 1;
}

std::string HourMinute(long long seconds) {
  char text[32];
  std::snprintf(text, sizeof(text), "%02lld:%02lld", seconds / kSecondsPerHour % 100,
                seconds % kSecondsPerHour / 60);
  return text;
}

// "every 3 hours", "daily", "every 2 weeks": `unit` singular.
std::string Every(long long n, const char* unit, const char* once) {
  if (n == 1) return once;
  return "every " + std::to_string(n) + " " + unit + "s";
}

// The day flags of a days-of-week pattern.
std::string DayFlagWords(const CNMessageBase* days) {
  static constexpr FieldRef kFlags[] = {Days::sunday,   Days::monday, Days::tuesday, Days::wednesday,
                                        Days::thursday, Days::friday, Days::saturday};
  unsigned mask = 0;
  for (int d = 0; d < 7; ++d) {
    if (days != nullptr && Int(days, kFlags[d]) != 0) mask |= 1u << d;
  }
  if (mask == 0x7f) return "any day";
  if (mask == 0x3e) return "weekdays";
  if (mask == 0x41) return "weekend days";
  if (mask == 0) return "no day";
  std::string words;
  for (int d = 0; d < 7; ++d) {
    if (mask & (1u << d)) words += (words.empty() ? "" : " and ") + std::string(kDayNames[d]);
  }
  return words;
}

std::string OnDaysOfWeek(const CNMessageBase* p) {
  const long long interval = Int(p, Pattern::repeatIntervalSeconds);
  const std::string days = DayFlagWords(Child(p, Pattern::daysToRun));
  const std::string start = HourMinute(Int(p, Pattern::startTimeOfDay));
  if (interval > 0 && interval % kSecondsPerDay == 0)
    return Every(interval / kSecondsPerDay, "day", "daily") + ", " + days + ", at " + start;
  if (interval > 0 && interval % kSecondsPerHour == 0)
    return Every(interval / kSecondsPerHour, "hour", "hourly") + ", " + days + ", from " + start;
  if (interval > 0) return "every " + std::to_string(interval) + " seconds, " + days + ", from " + start;
  return Every(Int(p, Pattern::recurrenceFactor), "week", "weekly") + ", " + days + ", at " + start;
}

// "monthly", "every 3 months", "yearly", "every 2 years".
std::string MonthsWords(long long months) {
  if (months > 0 && months % kMonthsPerYear == 0) return Every(months / kMonthsPerYear, "year", "yearly");
  return Every(months, "month", "monthly");
}

std::string OnDayOfMonth(const CNMessageBase* p) {
  const long long months = Int(p, Pattern::recurrenceFactor);
  const long long day = Int(Child(p, Pattern::daysToRun), Days::dayOfMonth);
  const long long month = MonthOf(Int(p, Pattern::startDate));
  if (months % kMonthsPerYear == 0 && month != 0)
    return MonthsWords(months) + " on " + MonthWords(month) + " " + std::to_string(day);
  return MonthsWords(months) + " on day " + std::to_string(day);
}

// Yearly week patterns name the start date's month (the builders keep the
// month only there).
std::string OnWeekOfMonth(const CNMessageBase* p) {
  const CNMessageBase* days = Child(p, Pattern::daysToRun);
  const long long months = Int(p, Pattern::recurrenceFactor);
  std::string words = MonthsWords(months) + " on the " + WeekWords(Int(days, Days::weekOfMonth)) + " " +
                      DayCodeWords(Int(days, Days::dayKind));
  const long long month = MonthOf(Int(p, Pattern::startDate));
  if (months % kMonthsPerYear == 0 && month != 0) words += " of " + MonthWords(month);
  return words;
}

}  // namespace

std::string PatternDateTime(long long date, long long secondsOfDay) {
  time_t t = static_cast<time_t>(date);
  tm parts;
  if (gmtime_r(&t, &parts) == nullptr) return "?";
  char text[48];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d %s", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, HourMinute(secondsOfDay).c_str());
  return text;
}

std::string PatternWords(const CNMessageBase* p) {
  if (p == nullptr) return "no pattern";
  const long long kind = Int(p, Pattern::frequencyType);
  switch (kind) {
    case kOnce:
      return "once on " + PatternDateTime(Int(p, Pattern::startDate), Int(p, Pattern::startTimeOfDay));
    case kOnDaysOfWeek:
      return OnDaysOfWeek(p);
    case kOnDayOfMonth:
      return OnDayOfMonth(p);
    case kOnWeekOfMonth:
      return OnWeekOfMonth(p);
    case kOnMonthAndDay:
      return "yearly on " + MonthWords(Int(p, Pattern::recurrenceFactor)) + " " +
             std::to_string(Int(p, Pattern::dayValue));
    case kOnMonthAndWeek:
      return "yearly on the " + WeekWords(Int(p, Pattern::weekOfMonth)) + " " +
             DayCodeWords(Int(p, Pattern::dayValue)) + " of " + MonthWords(Int(p, Pattern::recurrenceFactor));
    default:
      return "pattern kind " + std::to_string(kind);
  }
}

}  // namespace tsmreport
