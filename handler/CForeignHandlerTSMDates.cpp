// Conversions of the two TSM time stamp forms: month/day/year from the
// query commands (-dateformat=1) and year-month-day from the SQL selects.
// A part missing from the text leaves its field at zero.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "handler/Splitting.h"

namespace {

// Sets *field to the number in parts[i] (read as atoi reads it) plus
// `adjust` when part i exists. The server prints whatever it holds, so a
// number that does not fit the field counts as unreadable text, which
// reads as 0, instead of overflowing.
void SetField(const std::vector<std::string>& parts, size_t i, int adjust, int* field) {
  if (i >= parts.size()) return;
  errno = 0;
  long long value = std::strtoll(parts[i].c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) value = 0;
  value += adjust;
  *field = value < INT_MIN || value > INT_MAX ? adjust : static_cast<int>(value);
}

// Date and time of day of "<date> <time>", or empty strings.
void SplitDateAndTime(const std::string& text, std::string* date, std::string* time) {
  std::vector<std::string> parts = tsmsplit::SplitTimestamp(text);
  date->assign(parts.size() > 0 ? parts[0] : std::string());
  time->assign(parts.size() > 1 ? parts[1] : std::string());
}

void SetTimeOfDay(const std::vector<std::string>& parts, tm* out) {
  SetField(parts, 0, 0, &out->tm_hour);
  SetField(parts, 1, 0, &out->tm_min);
  SetField(parts, 2, 0, &out->tm_sec);
}

// Days from 1970-01-01 to year-month-day of the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool IsPlainLocalTime(const tm& t) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return t.tm_year >= 80 && t.tm_year <= 300 && t.tm_mon >= 0 && t.tm_mon < 12 && t.tm_mday >= 1 &&
         t.tm_mday <= kDays[t.tm_mon] && t.tm_hour >= 0 && t.tm_hour < 24 && t.tm_min >= 0 && t.tm_min < 60 &&
         t.tm_sec >= 0 && t.tm_sec < 60;
}

// Distance of local standard time from UTC at `hour` of `fields`' day,
// from mktime; false when mktime cannot tell.
bool OffsetAtHour(tm fields, int hour, long long day, long long* offset) {
  fields.tm_hour = hour;
  fields.tm_min = 0;
  fields.tm_sec = 0;
  fields.tm_isdst = 0;
  time_t local = mktime(&fields);
  if (local == static_cast<time_t>(-1)) return false;
  *offset = static_cast<long long>(local) - (day * 24 + hour) * 3600;
  return true;
}

// mktime of fields read as local standard time (tm_isdst 0). mktime looks
// for a changed time-zone file on every call (a system call each), and a
// site converts two time stamps per job over the same few years: so the
// distance from UTC is remembered per day, under the TZ it was found
// with, for each day that starts and ends with the same distance (a zone
// changes it at most once a day). Other days, fields out of range and
// years before 1980 still go to mktime itself.
long long LocalStandardTime(tm fields) {
  if (!IsPlainLocalTime(fields)) return static_cast<long long>(mktime(&fields));
  struct Slot {
    long long day = LLONG_MIN;
    bool uniform = false;
    long long offset = 0;
  };
  thread_local Slot slots[4096];
  thread_local bool zoneSet = false;  // the TZ the slots were filled under
  thread_local std::string zone;
  const char* tz = std::getenv("TZ");
  if ((tz != nullptr) != zoneSet || (tz != nullptr && zone != tz)) {
    for (Slot& slot : slots) slot = Slot();
    zoneSet = tz != nullptr;
    zone = tz != nullptr ? tz : "";
  }
  const long long day = DaysFromCivil(fields.tm_year + 1900LL, static_cast<unsigned>(fields.tm_mon) + 1,
                                      static_cast<unsigned>(fields.tm_mday));
  Slot& slot = slots[static_cast<unsigned long long>(day) % 4096];
  if (slot.day != day) {
    long long first = 0, last = 0;
    if (!OffsetAtHour(fields, 0, day, &first) || !OffsetAtHour(fields, 23, day, &last)) {
      return static_cast<long long>(mktime(&fields));
    }
    slot.day = day;
    slot.uniform = first == last;
    slot.offset = first;
  }
  if (!slot.uniform) return static_cast<long long>(mktime(&fields));
  return (day * 24 + fields.tm_hour) * 3600 + fields.tm_min * 60 + fields.tm_sec + slot.offset;
}

}  // namespace

void CForeignHandlerTSM::DateTimeToUnixTime(std::string text, tm* date, tm* time) {
  std::memset(date, 0, sizeof(*date));
  std::memset(time, 0, sizeof(*time));
  std::string datePart, timePart;
  SplitDateAndTime(text, &datePart, &timePart);

  std::vector<std::string> day = tsmsplit::SplitDate(datePart, '/');
  SetField(day, 2, -1900, &date->tm_year);
  SetField(day, 0, -1, &date->tm_mon);
  SetField(day, 1, 0, &date->tm_mday);

  time->tm_year = 70;
  time->tm_mon = 0;
  time->tm_mday = 1;
  SetTimeOfDay(tsmsplit::SplitTimeOfDay(timePart), time);
  time->tm_isdst = 0;
}

// mktime reads the fields as local standard time (tm_isdst 0); adding the
// distance of local standard time from UTC turns that into the fields read
// as UTC.
long long CForeignHandlerTSM::GetUnixStartDate(tm* date) {
  time_t now = ::time(nullptr);
  tm utcNow;
  gmtime_r(&now, &utcNow);
  long long offset = static_cast<long long>(now) - static_cast<long long>(mktime(&utcNow));
  tm local = *date;
  return static_cast<long long>(mktime(&local)) + offset;
}

long long CForeignHandlerTSM::GetUnixStartTime(tm* time) {
  // In 64 bits: the parts are whatever the server printed.
  return static_cast<long long>(time->tm_hour) * 3600 + static_cast<long long>(time->tm_min) * 60 +
         time->tm_sec;
}

unsigned int CForeignHandlerTSM::StrToUnixTime(std::string text) {
  std::string datePart, timePart;
  SplitDateAndTime(text, &datePart, &timePart);
  tm fields;
  std::memset(&fields, 0, sizeof(fields));
  std::vector<std::string> day = tsmsplit::SplitDate(datePart, '-');
  SetField(day, 0, -1900, &fields.tm_year);
  SetField(day, 1, -1, &fields.tm_mon);
  SetField(day, 2, 0, &fields.tm_mday);
  SetTimeOfDay(tsmsplit::SplitTimeOfDay(timePart), &fields);
  fields.tm_isdst = 0;
  return static_cast<unsigned int>(LocalStandardTime(fields));
}
