#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "tests/support/Guards.h"

namespace {

using testsupport::ScopedTimeZone;

// POSIX rules, so the tests need no time zone database.
const char* const kUtc = "UTC0";
const char* const kNewYork = "EST5EDT,M3.2.0,M11.1.0";
const char* const kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
const char* const kAuckland = "NZST-12NZDT,M9.5.0,M4.1.0/3";

// The start date is the UTC midnight of the date in every zone, also for a
// date inside daylight saving time (July in the north, January in the
// south).
TEST(DatesTest, StartDateIsUtcMidnightInEveryZone) {
  struct Case {
    const char* text;
    long long date, timeOfDay;
  };
  const Case cases[] = {
      {"12/31/2019 23:59:58", 1577750400, 23 * 3600 + 59 * 60 + 58},
      {"07/04/2020 10:00:00", 1593820800, 10 * 3600},
      {"1/2/2020 3:04:05", 1577923200, 3 * 3600 + 4 * 60 + 5},
  };
  for (const char* zone : {kUtc, kNewYork, kBerlin, kAuckland}) {
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

// Fields as {year, mon, mday, hour, min, sec}; text outside the form leaves
// the missing fields zero and reads nothing beyond the text.
TEST(DatesTest, DateTimeFields) {
  using Fields = std::vector<int>;
  struct Case {
    const char* text;
    Fields date, time;
  };
  const Case cases[] = {
      {"12/31/2019 23:59:58", {119, 11, 31, 0, 0, 0}, {70, 0, 1, 23, 59, 58}},
      {"", {0, 0, 0, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
      {"12/31/2019", {119, 11, 31, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
      {"12/31", {0, 11, 31, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
      {"12/31/2019 23", {119, 11, 31, 0, 0, 0}, {70, 0, 1, 23, 0, 0}},
      {"garbage text", {0, -1, 0, 0, 0, 0}, {70, 0, 1, 0, 0, 0}},
  };
  auto fields = [](const tm& t) {
    EXPECT_EQ(0, t.tm_isdst);
    return Fields{t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    tm date, time;
    std::memset(&date, 0x5a, sizeof(date));
    std::memset(&time, 0x5a, sizeof(time));
    CForeignHandlerTSM::DateTimeToUnixTime(c.text, &date, &time);
    EXPECT_EQ(c.date, fields(date));
    EXPECT_EQ(c.time, fields(time));
  }
}

// Select time stamps count as local standard time, also in summer; the
// fraction is ignored.
TEST(DatesTest, StrToUnixTime) {
  struct Case {
    const char* zone;
    const char* text;
    unsigned int expected;
  };
  const Case cases[] = {
      {kUtc, "2020-01-02 03:04:05.000000", 1577934245u},
      {kUtc, "2020-01-02", 1577923200u},
      {kNewYork, "2020-01-02 03:04:05.123456", 1577934245u + 5 * 3600},
      {kNewYork, "2020-07-04 12:00:00", 1593882000u},
      {kBerlin, "2020-07-04 12:00:00", 1593882000u - 6 * 3600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.text);
    ScopedTimeZone tz(c.zone);
    EXPECT_EQ(c.expected, CForeignHandlerTSM::StrToUnixTime(c.text));
  }
  ScopedTimeZone utc(kUtc);
  for (const char* text : {"", "-", "2020", "x y z", "2020-01-02 ::"}) {
    CForeignHandlerTSM::StrToUnixTime(text);  // no read out of bounds (sanitizer build)
  }
}

}  // namespace
