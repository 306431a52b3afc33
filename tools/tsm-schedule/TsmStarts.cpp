// When a TSM schedule starts, and the schedule in words.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "tools/tsm-schedule/Calendar.h"
#include "tools/tsm-schedule/TsmSchedule.h"

namespace tsmsched {
namespace {

using tsmcal::kSecondsPerDay;

constexpr unsigned kAllDays = 0x7f;  // bit 0 Sunday ... bit 6 Saturday
constexpr unsigned kWeekdays = 0x3e;
constexpr unsigned kWeekend = 0x41;

const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const kWeekNames[] = {"First", "Second", "Third", "Fourth", "Last"};

bool StartsNoCase(const std::string& word, const char* name, size_t minimum) {
  if (word.size() < minimum || word.size() > std::char_traits<char>::length(name)) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(word[i])) !=
        std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

// A day-of-week word as a mask: ANY, WEEKDAY (WD), WEEKEND (WE), a day
// name or its three-letter form. 0 when unknown.
unsigned DayMask(const std::string& w) {
  if (StartsNoCase(w, "Any", 3)) return kAllDays;
  if (StartsNoCase(w, "Weekday", 5) || StartsNoCase(w, "WD", 2)) return kWeekdays;
  if (StartsNoCase(w, "Weekend", 5) || StartsNoCase(w, "WE", 2)) return kWeekend;
  for (int d = 0; d < 7; ++d) {
    if (StartsNoCase(w, kDayNames[d], 3)) return 1u << d;
  }
  return 0;
}

// The four enhanced lists as masks; an empty list or ANY allows all.
struct DayRules {
  unsigned months = 0;         // bit m-1
  unsigned long long dom = 0;  // bits 1-31 from the start, bits 33-63 from the end (-1 is bit 33)
  unsigned weeks = 0;          // bits 0-3 first to fourth, bit 4 last
  unsigned days = 0;           // as DayMask
};

bool IsAny(const std::vector<std::string>& items) {
  return items.empty() || (items.size() == 1 && StartsNoCase(items[0], "Any", 3));
}

// Each item through `one` (0: unknown word) into *mask.
template <class Mask, class Fn>
bool Collect(const std::vector<std::string>& items, Mask all, Fn one, Mask* mask, std::string* problem,
             const char* what) {
  if (IsAny(items)) {
    *mask = all;
    return true;
  }
  for (const std::string& item : items) {
    const Mask m = StartsNoCase(item, "Any", 3) ? all : one(item);
    if (m == 0) {
      *problem = std::string(what) + " '" + item + "' is not a TSM value";
      return false;
    }
    *mask |= m;
  }
  return true;
}

unsigned MonthMask(const std::string& w) {
  for (int m = 0; m < 12; ++m) {
    if (StartsNoCase(w, kMonthNames[m], 3)) return 1u << m;
  }
  return 0;
}

unsigned WeekMask(const std::string& w) {
  for (int k = 0; k < 5; ++k) {
    if (StartsNoCase(w, kWeekNames[k], 3)) return 1u << k;
  }
  return 0;
}

// 1..31 or -1..-31.
unsigned long long DayOfMonthMask(const std::string& w) {
  char* end = nullptr;
  const long n = std::strtol(w.c_str(), &end, 10);
  if (end == w.c_str() || *end != '\0' || n == 0 || n > 31 || n < -31) return 0;
  return n > 0 ? 1ull << n : 1ull << (32 - n);
}

bool ReadRules(const Schedule& s, DayRules* r, std::string* problem) {
  return Collect(s.months, 0xfffu, MonthMask, &r->months, problem, "month") &&
         Collect(s.daysOfMonth, ~0ull, DayOfMonthMask, &r->dom, problem, "day of month") &&
         Collect(s.weeksOfMonth, 0x1fu, WeekMask, &r->weeks, problem, "week of month") &&
         Collect(s.daysOfWeek, kAllDays, DayMask, &r->days, problem, "day of week");
}

// The first to fourth week are days 1-7, 8-14, 15-21 and 22-28; the last
// week is the month's last seven days.
bool Matches(const DayRules& r, long long day) {
  const tsmcal::Civil c = tsmcal::CivilFromDays(day);
  const int length = tsmcal::DaysInMonth(c.year, c.month);
  const int fromEnd = length - c.day + 1;
  unsigned week = c.day <= 28 ? 1u << ((c.day - 1) / 7) : 0;
  if (fromEnd <= 7) week |= 1u << 4;
  return (r.months >> (c.month - 1) & 1) && ((r.dom >> c.day & 1) || (r.dom >> (32 + fromEnd) & 1)) &&
         (r.weeks & week) && (r.days >> tsmcal::Weekday(day) & 1);
}

struct Window {
  long long from, to;
  const Schedule& s;
  bool Keep(long long moment) const {
    return moment >= from && moment < to && moment >= s.start &&
           (!s.expires || tsmcal::DayOf(moment) <= s.expirationDay);
  }
};

bool EnhancedStarts(const Schedule& s, const Window& w, std::vector<long long>* starts,
                    std::string* problem) {
  DayRules rules;
  if (!ReadRules(s, &rules, problem)) return false;
  const long long timeOfDay = s.start - tsmcal::DayOf(s.start) * kSecondsPerDay;
  for (long long day = std::max(tsmcal::DayOf(w.from), tsmcal::DayOf(s.start));
       day <= tsmcal::DayOf(w.to - 1); ++day) {
    const long long moment = day * kSecondsPerDay + timeOfDay;
    if (Matches(rules, day) && w.Keep(moment)) starts->push_back(moment);
  }
  return true;
}

// A window on a day the day of week excludes moves forward a day at a time.
long long MoveToAllowedDay(long long moment, unsigned days) {
  for (int i = 0; i < 7 && !(days >> tsmcal::Weekday(tsmcal::DayOf(moment)) & 1); ++i)
    moment += kSecondsPerDay;
  return moment;
}

// Monthly and yearly windows: the start's day of month, or the month's last
// day when the month is shorter; the day so reached is kept from then on.
void CalendarStarts(const Schedule& s, int monthsapart, unsigned days, const Window& w,
                    std::vector<long long>* starts) {
  const long long startDay = tsmcal::DayOf(s.start);
  const long long timeOfDay = s.start - startDay * kSecondsPerDay;
  const tsmcal::Civil c = tsmcal::CivilFromDays(startDay);
  int dayOfMonth = c.day;
  for (long long k = 0;; ++k) {
    const long long index = (c.year * 12 + c.month - 1) + k * monthsapart;
    const long long year = index / 12;
    const int month = static_cast<int>(index % 12) + 1;
    dayOfMonth = std::min(dayOfMonth, tsmcal::DaysInMonth(year, month));
    const long long base = tsmcal::DaysFromCivil(year, month, dayOfMonth) * kSecondsPerDay + timeOfDay;
    if (base >= w.to) return;
    const long long moment = MoveToAllowedDay(base, days);
    if (w.Keep(moment)) starts->push_back(moment);
  }
}

long long PeriodSeconds(const Schedule& s) {
  switch (s.unit) {
    case PeriodUnit::kMinutes:
      return 60LL * s.period;
    case PeriodUnit::kHours:
      return 3600LL * s.period;
    case PeriodUnit::kDays:
      return kSecondsPerDay * s.period;
    case PeriodUnit::kWeeks:
      return 7 * kSecondsPerDay * s.period;
    default:
      return 0;
  }
}

bool ClassicStarts(const Schedule& s, const Window& w, std::vector<long long>* starts, std::string* problem) {
  const unsigned days = DayMask(s.dayOfWeek);
  if (days == 0) {
    *problem = "day of week '" + s.dayOfWeek + "' is not a TSM value";
    return false;
  }
  if (s.unit == PeriodUnit::kOnce) {
    const long long moment = MoveToAllowedDay(s.start, days);
    if (w.Keep(moment)) starts->push_back(moment);
    return true;
  }
  if (s.unit == PeriodUnit::kMonths || s.unit == PeriodUnit::kYears) {
    CalendarStarts(s, s.unit == PeriodUnit::kMonths ? s.period : 12 * s.period, days, w, starts);
    return true;
  }
  const long long period = PeriodSeconds(s);
  // Windows before the range may move into it by up to six days.
  long long k = std::max(0LL, (w.from - 7 * kSecondsPerDay - s.start) / period);
  for (long long base = s.start + k * period; base < w.to; base += period) {
    const long long moment = MoveToAllowedDay(base, days);
    if (w.Keep(moment)) starts->push_back(moment);
    if (starts->size() > kMaxRuns) break;
  }
  return true;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i)
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  return text;
}

std::string Plural(int n, const char* unit, const char* one) {
  return n == 1 ? one : "every " + std::to_string(n) + " " + unit + "s";
}

std::string DayWords(unsigned mask) {
  if (mask == kAllDays) return "";
  if (mask == kWeekdays) return "weekdays";
  if (mask == kWeekend) return "weekends";
  std::vector<std::string> names;
  for (int d = 0; d < 7; ++d) {
    if (mask >> d & 1) names.push_back(kDayNames[d]);
  }
  return Joined(names);
}

std::string ClassicWords(const Schedule& s) {
  static const char* const kUnitNames[] = {"minute", "hour", "day", "week", "month", "year"};
  static const char* const kOnce[] = {"every minute", "hourly", "daily", "weekly", "monthly", "yearly"};
  const std::string at = tsmcal::FormatMoment(s.start);
  std::string words;
  if (s.unit == PeriodUnit::kOnce) {
    words = "once on " + at;
  } else {
    const int u = static_cast<int>(s.unit);
    words = Plural(s.period, kUnitNames[u], kOnce[u]) + " from " + at;
  }
  const std::string days = DayWords(DayMask(s.dayOfWeek));
  if (!days.empty()) words += ", " + days;
  return words;
}

std::string DayOfMonthWords(const std::string& item) {
  const long n = std::strtol(item.c_str(), nullptr, 10);
  if (n == -1) return "the last day";
  if (n < 0) return "day " + std::to_string(-n) + " from the end";
  return "day " + item;
}

// "day 1 of January and July", "Friday in the last week of each month",
// "Sunday in March and June", "weekdays".
std::string EnhancedWords(const Schedule& s) {
  std::vector<std::string> parts;
  if (!IsAny(s.daysOfMonth)) {
    std::vector<std::string> days;
    for (const std::string& d : s.daysOfMonth) days.push_back(DayOfMonthWords(d));
    parts.push_back(Joined(days));
  }
  if (!IsAny(s.daysOfWeek)) {
    unsigned mask = 0;
    for (const std::string& d : s.daysOfWeek) mask |= DayMask(d);
    parts.push_back(DayWords(mask).empty() ? "any day" : DayWords(mask));
  }
  std::string words = parts.empty() ? "every day" : Joined(parts);
  const bool inMonth = !IsAny(s.daysOfMonth) || !IsAny(s.weeksOfMonth);
  if (!IsAny(s.weeksOfMonth)) {
    std::vector<std::string> weeks;
    for (std::string w : s.weeksOfMonth) {
      for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      weeks.push_back(w);
    }
    words += " in the " + Joined(weeks) + " week";
  }
  if (!IsAny(s.months)) {
    std::vector<std::string> months;
    for (const std::string& m : s.months) {
      const unsigned mask = MonthMask(m);
      months.push_back(mask == 0 ? m : kMonthNames[__builtin_ctz(mask)]);
    }
    words += (inMonth ? " of " : " in ") + Joined(months);
  } else if (inMonth) {
    words += " of each month";
  }
  return words + " at " + tsmcal::FormatTimeOfDay(s.start - tsmcal::DayOf(s.start) * kSecondsPerDay) +
         ", from " + tsmcal::FormatDay(tsmcal::DayOf(s.start));
}

}  // namespace

bool StartTimes(const Schedule& s, long long from, long long to, std::vector<long long>* starts,
                std::string* problem) {
  starts->clear();
  const Window w{from, to, s};
  if (!(s.enhanced ? EnhancedStarts(s, w, starts, problem) : ClassicStarts(s, w, starts, problem)))
    return false;
  std::sort(starts->begin(), starts->end());
  starts->erase(std::unique(starts->begin(), starts->end()), starts->end());
  if (starts->size() > kMaxRuns) {
    *problem = "more than " + std::to_string(kMaxRuns) + " starts in the window";
    return false;
  }
  return true;
}

std::string Describe(const Schedule& s) {
  std::string words = s.enhanced ? EnhancedWords(s) : ClassicWords(s);
  if (s.expires) words += ", until " + tsmcal::FormatDay(s.expirationDay);
  return words;
}

}  // namespace tsmsched
