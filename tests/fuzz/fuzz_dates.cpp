// The date functions of CForeignHandlerTSM on any text (under UBSan: no
// overflow whatever the server prints), and on well-formed dates against
// a calendar model, in time zones east and west of UTC.
//
// Input: byte 0 even = any text (the rest), odd = a date drawn from the
// rest; byte 1 = the time zone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "handler/CForeignHandlerTSM.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

struct Zone {
  const char* tz;
  long long standardBehindUtc;  // seconds to add to local standard time for UTC
};
// Fixed rules only: a zone whose standard offset changed in history would
// make the model wrong for old dates.
constexpr Zone kZones[] = {{"UTC0", 0},
                           {"EST5EDT", 5 * 3600},
                           {"JST-9", -9 * 3600},
                           {"<-03>3", 3 * 3600},
                           {"NPT-5:45", -(5 * 3600 + 2700)}};

// Days from 1970-01-01 to year-month-day in the proleptic Gregorian
// calendar (days past the month's end run on into the next month).
long long DaysFromCivil(long long y, long long m, long long d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CheckAnyText(const std::string& text, const std::string& input) {
  tm date;
  tm time;
  CForeignHandlerTSM::DateTimeToUnixTime(text, &date, &time);
  CForeignHandlerTSM::GetUnixStartDate(&date);
  CForeignHandlerTSM::GetUnixStartTime(&time);
  CForeignHandlerTSM::StrToUnixTime(text);
  Check(time.tm_year == 70 && time.tm_mon == 0 && time.tm_mday == 1, "time of day on 1970-01-01", input);
}

void CheckDrawnDate(FuzzedDataProvider& in, const Zone& zone, const std::string& input) {
  const int year = in.ConsumeIntegralInRange(1, 9999);
  const int month = in.ConsumeIntegralInRange(1, 12);
  const int day = in.ConsumeIntegralInRange(0, 99);
  const int hour = in.ConsumeIntegralInRange(0, 99);
  const int minute = in.ConsumeIntegralInRange(0, 99);
  const int second = in.ConsumeIntegralInRange(0, 99);
  char query[64];
  char select[64];
  std::snprintf(query, sizeof(query), "%02d/%02d/%04d %02d:%02d:%02d", month, day, year, hour, minute,
                second);
  std::snprintf(select, sizeof(select), "%04d-%02d-%02d %02d:%02d:%02d.%06d", year, month, day, hour, minute,
                second, in.ConsumeIntegralInRange(0, 999999));
  const long long midnight = DaysFromCivil(year, month, day) * 86400;
  const long long ofDay = hour * 3600LL + minute * 60 + second;

  tm date;
  tm time;
  CForeignHandlerTSM::DateTimeToUnixTime(query, &date, &time);
  Check(CForeignHandlerTSM::GetUnixStartDate(&date) == midnight, "start date is UTC midnight", input);
  Check(CForeignHandlerTSM::GetUnixStartTime(&time) == ofDay, "start time is seconds of the day", input);
  const auto local = static_cast<unsigned int>(midnight + ofDay + zone.standardBehindUtc);
  Check(CForeignHandlerTSM::StrToUnixTime(select) == local, "select time in local standard time", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const Zone& zone = kZones[data[1] % (sizeof(kZones) / sizeof(kZones[0]))];
  ::setenv("TZ", zone.tz, 1);
  ::tzset();
  const std::string input = fuzzsupport::AsString(data, size);
  if (data[0] % 2 == 0) {
    CheckAnyText(input.substr(2), input);
  } else {
    FuzzedDataProvider in(data + 2, size - 2);
    CheckDrawnDate(in, zone, input);
  }
  return 0;
}
