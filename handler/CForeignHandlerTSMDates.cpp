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
  return static_cast<unsigned int>(mktime(&fields));
}
