// Reading a schedule line of the detailed query.
#include "tools/tsm-schedule/TsmSchedule.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "tools/tsm-schedule/Calendar.h"

namespace tsmsched {
namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool EqualsNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == '\0';
}

// "1,Mon" -> items; the query writes the lists comma-separated.
std::vector<std::string> Items(const std::string& column) {
  std::vector<std::string> items;
  size_t begin = 0;
  const std::string text = Trim(column);
  if (text.empty()) return items;
  while (true) {
    const size_t comma = text.find(',', begin);
    items.push_back(Trim(text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin)));
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
  return items;
}

struct UnitWord {
  const char* word;
  PeriodUnit unit;
};
const UnitWord kUnits[] = {{"Minute(s)", PeriodUnit::kMinutes}, {"Hour(s)", PeriodUnit::kHours},
                           {"Day(s)", PeriodUnit::kDays},       {"Week(s)", PeriodUnit::kWeeks},
                           {"Month(s)", PeriodUnit::kMonths},   {"Year(s)", PeriodUnit::kYears}};

// "4 Hour(s)", "One Time".
bool ParsePeriod(const std::string& text, Schedule* s) {
  const std::string t = Trim(text);
  if (EqualsNoCase(t, "One Time") || EqualsNoCase(t, "Onetime")) {
    s->unit = PeriodUnit::kOnce;
    return true;
  }
  char* end = nullptr;
  const long n = std::strtol(t.c_str(), &end, 10);
  if (end == t.c_str() || n < 1 || n > 9999) return false;
  const std::string word = Trim(end);
  for (const UnitWord& u : kUnits) {
    if (EqualsNoCase(word, u.word)) {
      s->period = static_cast<int>(n);
      s->unit = u.unit;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseTsmMoment(const std::string& text, long long* seconds) {
  int mo = 0, d = 0, y = 0, h = 0, mi = 0, se = 0, used = 0;
  const std::string t = Trim(text);
  if (std::sscanf(t.c_str(), "%2d/%2d/%4d %2d:%2d:%2d%n", &mo, &d, &y, &h, &mi, &se, &used) != 6 ||
      used != static_cast<int>(t.size()))
    return false;
  if (mo < 1 || mo > 12 || d < 1 || d > tsmcal::DaysInMonth(y, mo) || h > 23 || mi > 59 || se > 59)
    return false;
  *seconds = tsmcal::DaysFromCivil(y, mo, d) * tsmcal::kSecondsPerDay + h * 3600 + mi * 60 + se;
  return true;
}

bool ReadSchedule(const ScheduleText& t, Schedule* s, std::string* problem) {
  s->domain = Trim(t.domain);
  s->name = Trim(t.name);
  s->description = t.description;
  s->action = Trim(t.action);
  s->enhanced = Trim(t.style) == "Enhanced";
  if (!ParseTsmMoment(t.start, &s->start)) {
    *problem = "start '" + t.start + "' is no date and time";
    return false;
  }
  const std::string expiration = Trim(t.expiration);
  s->expires = !expiration.empty();
  if (s->expires) {
    long long moment = 0;
    // The query may show the date alone.
    if (!ParseTsmMoment(expiration, &moment) && !ParseTsmMoment(expiration + " 00:00:00", &moment)) {
      *problem = "expiration '" + expiration + "' is no date";
      return false;
    }
    s->expirationDay = tsmcal::DayOf(moment);
  }
  if (s->enhanced) {
    s->daysOfWeek = Items(t.dayOfWeek);
    s->months = Items(t.months);
    s->daysOfMonth = Items(t.daysOfMonth);
    s->weeksOfMonth = Items(t.weeksOfMonth);
    return true;
  }
  s->dayOfWeek = Trim(t.dayOfWeek);
  if (s->dayOfWeek.empty()) s->dayOfWeek = "Any";
  if (!ParsePeriod(t.period, s)) {
    *problem = "period '" + t.period + "' does not read";
    return false;
  }
  return true;
}

}  // namespace tsmsched
