#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "tests/support/Guards.h"

namespace {

using testsupport::ScopedTimeZone;

// POSIX rules, so the tests need no time zone database: UTC, west and east
// of UTC, south of the equator; all but UTC with daylight saving.
const char* const kZones[] = {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "CET-1CEST,M3.5.0,M10.5.0/3",
                              "NZST-12NZDT,M9.5.0,M4.1.0/3"};

// The start date is the UTC midnight of the date in every zone, also inside
// daylight saving time (July in the north, December in the south).
TEST(DatesTest, StartDateIsUtcMidnightInEveryZone) {
  const std::tuple<const char*, long long, long long> cases[] = {
      {"12/31/2019 23:59:58", 1577750400, 23 * 3600 + 59 * 60 + 58},
      {"7/4/2020 10:00:00", 1593820800, 10 * 3600},
  };
  for (const char* zone : kZones) {
    ScopedTimeZone tz(zone);
    for (const auto& [text, date, timeOfDay] : cases) {
      SCOPED_TRACE(std::string(zone) + " " + text);
      tm dateFields, timeFields;
      CForeignHandlerTSM::DateTimeToUnixTime(text, &dateFields, &timeFields);
      EXPECT_EQ(date, CForeignHandlerTSM::GetUnixStartDate(&dateFields));
      EXPECT_EQ(timeOfDay, CForeignHandlerTSM::GetUnixStartTime(&timeFields));
    }
  }
}

// Fields {year, mon, mday, hour, min, sec}; text outside the form leaves the
// missing fields zero and reads nothing beyond the text.
TEST(DatesTest, DateTimeFields) {
  using Fields = std::vector<int>;
  const Fields noTime = {70, 0, 1, 0, 0, 0};
  const std::tuple<const char*, Fields, Fields> cases[] = {
      {"12/31/2019 23:59:58", {119, 11, 31, 0, 0, 0}, {70, 0, 1, 23, 59, 58}},
      {"", {0, 0, 0, 0, 0, 0}, noTime},
      {"12/31", {0, 11, 31, 0, 0, 0}, noTime},
      {"12/31/2019 23", {119, 11, 31, 0, 0, 0}, {70, 0, 1, 23, 0, 0}},
      {"garbage text", {0, -1, 0, 0, 0, 0}, noTime},
      // Parts that do not fit the field read as unreadable text (0), never overflow.
      {"99999999999/2147483647/-2147483648 2147483647:99999999999:-9",
       {-1900, -1, 2147483647, 0, 0, 0},
       {70, 0, 1, 2147483647, 0, -9}},
  };
  auto of = [](const tm& t) {
    EXPECT_EQ(0, t.tm_isdst);
    return Fields{t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  };
  for (const auto& [text, date, time] : cases) {
    SCOPED_TRACE(text);
    tm fields[2];
    std::memset(fields, 0x5a, sizeof(fields));
    CForeignHandlerTSM::DateTimeToUnixTime(text, &fields[0], &fields[1]);
    EXPECT_EQ(date, of(fields[0]));
    EXPECT_EQ(time, of(fields[1]));
  }
}

// Select time stamps count as local standard time (summer and the fraction:
// the mktime agreement below).
TEST(DatesTest, StrToUnixTime) {
  const std::tuple<const char*, const char*, unsigned int> cases[] = {
      {kZones[0], "2020-01-02", 1577923200u},
      {kZones[2], "2020-07-04 12:00:00", 1593882000u - 6 * 3600},
  };
  for (const auto& [zone, text, expected] : cases) {
    SCOPED_TRACE(std::string(zone) + " " + text);
    ScopedTimeZone tz(zone);
    EXPECT_EQ(expected, CForeignHandlerTSM::StrToUnixTime(text));
  }
  ScopedTimeZone utc(kZones[0]);
  for (const char* text : {"", "-", "2020", "x y z",
                           "2020-01-02 ::", "-2147483648-2147483647-1 2147483647:2147483647:2147483647",
                           "99999999999999999999-1-1"}) {
    CForeignHandlerTSM::StrToUnixTime(text);  // no read out of bounds or overflow (sanitizer build)
  }
  tm extreme{};
  extreme.tm_hour = extreme.tm_min = extreme.tm_sec = INT_MAX;
  EXPECT_EQ(2147483647LL * 3661, CForeignHandlerTSM::GetUnixStartTime(&extreme));
}

// The conversion remembers each day's distance from UTC; it must
// still agree with mktime minute by minute across the changes of a year,
// with a half-hour shift, when the zone changes in between, and when a
// value is out of range.
TEST(DatesTest, StrToUnixTimeAgreesWithMktime) {
  for (const char* zone : {kZones[1], kZones[3], "LHST-10:30LHDT-11,M10.1.0,M4.1.0", kZones[1]}) {
    ScopedTimeZone tz(zone);
    for (long long t = 1583020800; t < 1583020800 + 366 * 86400; t += 7 * 60 + 11) {
      time_t at = t;
      tm u;
      gmtime_r(&at, &u);
      char text[40];
      std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d.5", u.tm_year + 1900, u.tm_mon + 1,
                    u.tm_mday, u.tm_hour, u.tm_min, u.tm_sec);
      u.tm_isdst = 0;
      ASSERT_EQ(static_cast<unsigned>(mktime(&u)), CForeignHandlerTSM::StrToUnixTime(text))
          << zone << " " << text;
    }
    tm late{};
    late.tm_year = 120;
    late.tm_mday = 31;
    late.tm_hour = 30;
    EXPECT_EQ(static_cast<unsigned>(mktime(&late)), CForeignHandlerTSM::StrToUnixTime("2020-01-31 30:00:00"));
  }
}

}  // namespace
