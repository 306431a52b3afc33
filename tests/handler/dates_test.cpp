#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "handler/CForeignHandlerTSM.h"
#include "tests/handler/HandlerTestGuards.h"

namespace {

using handlertest::ScopedTimeZone;

// POSIX rules, so the tests need no time zone database: UTC, a zone west
// of UTC with daylight saving, one east of it, one south of the equator.
const char* const kZones[] = {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "CET-1CEST,M3.5.0,M10.5.0/3",
                              "NZST-12NZDT,M9.5.0,M4.1.0/3"};

struct Tm {
  int year, mon, mday, hour, min, sec;
};

void ExpectTm(const Tm& expected, const tm& actual) {
  EXPECT_EQ(expected.year, actual.tm_year);
  EXPECT_EQ(expected.mon, actual.tm_mon);
  EXPECT_EQ(expected.mday, actual.tm_mday);
  EXPECT_EQ(expected.hour, actual.tm_hour);
  EXPECT_EQ(expected.min, actual.tm_min);
  EXPECT_EQ(expected.sec, actual.tm_sec);
  EXPECT_EQ(0, actual.tm_isdst);
}

// The start date is the UTC midnight of the date in every zone, also for a
// date inside daylight saving time (July in the north, December in the
// south).
TEST(DatesTest, StartDateIsUtcMidnightInEveryZone) {
  struct Case {
    const char* text;
    long long date;
    long long timeOfDay;
  };
  const Case cases[] = {
      {"12/31/2019 23:59:58", 1577750400, 23 * 3600 + 59 * 60 + 58},
      {"07/04/2020 10:00:00", 1593820800, 10 * 3600},
      {"1/2/2020 3:04:05", 1577923200, 3 * 3600 + 4 * 60 + 5},
  };
  for (const char* zone : kZones) {
    ScopedTimeZone tz(zone);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(zone) + " " + c.text);
      tm date, time;
      CForeignHandlerTSM::DateTimeToUnixTime(c.text, &date, &time);
      EXPECT_EQ(c.date, CForeignHandlerTSM::GetUnixStartDate(&date));
      EXPECT_EQ(c.timeOfDay, CForeignHandlerTSM::GetUnixStartTime(&time));
    }
  }
}

TEST(DatesTest, DateTimeFields) {
  tm date, time;
  CForeignHandlerTSM::DateTimeToUnixTime("12/31/2019 23:59:58", &date, &time);
  ExpectTm({119, 11, 31, 0, 0, 0}, date);
  ExpectTm({70, 0, 1, 23, 59, 58}, time);
}

// Text outside the two forms: missing fields stay zero, nothing is read
// beyond the text.
TEST(DatesTest, MalformedTextGivesZeroFields) {
  struct Case {
    const char* text;
    Tm date;
    Tm time;
  };
  const Case cases[] = {
      {"", {0, 0, 0, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
      {"12/31/2019", {119, 11, 31, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
      {"12/31", {0, 11, 31, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
      {"12/31/2019 23", {119, 11, 31, 0, 0, 0}, {70, 0, 1, 23, 0, 0}},
      {"garbage text", {0, -1, 0, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    tm date, time;
    std::memset(&date, 0x5a, sizeof(date));
    std::memset(&time, 0x5a, sizeof(time));
    CForeignHandlerTSM::DateTimeToUnixTime(c.text, &date, &time);
    ExpectTm(c.date, date);
    ExpectTm(c.time, time);
  }
}

// Select time stamps count as local standard time, the fraction is
// ignored; in summer the result is still standard time.
TEST(DatesTest, StrToUnixTime) {
  struct Case {
    const char* zone;
    const char* text;
    unsigned int expected;
  };
  const Case cases[] = {
      {"UTC0", "2020-01-02 03:04:05.000000", 1577934245u},
      {"UTC0", "2020-01-02 03:04:05", 1577934245u},
      {"UTC0", "2020-01-02", 1577923200u},
      {"EST5EDT,M3.2.0,M11.1.0", "2020-01-02 03:04:05.123456", 1577934245u + 5 * 3600},
      {"EST5EDT,M3.2.0,M11.1.0", "2020-07-04 12:00:00.000000", 1593882000u},
      {"CET-1CEST,M3.5.0,M10.5.0/3", "2020-07-04 12:00:00", 1593882000u - 6 * 3600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.text);
    ScopedTimeZone tz(c.zone);
    EXPECT_EQ(c.expected, CForeignHandlerTSM::StrToUnixTime(c.text));
  }
  ScopedTimeZone utc("UTC0");
  for (const char* text : {"", "-", "2020", "x y z", "2020-01-02 ::"}) {
    SCOPED_TRACE(text);
    CForeignHandlerTSM::StrToUnixTime(text);  // no crash, no read out of bounds (sanitizer build)
  }
}

}  // namespace
