// The two schedule models of the takeover check, each against starts
// worked out by hand: TSM's (tools/tsm-schedule) from IBM's documented
// examples of client schedules, the host's (verify/HostRuns) from the
// meaning of each pattern kind. A row prints its schedule when it fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "handler/Splitting.h"
#include "tools/tsm-discover/verify/HostRuns.h"
#include "tools/tsm-schedule/Calendar.h"
#include "tools/tsm-schedule/TsmSchedule.h"

namespace {

long long Moment(const char* day) {
  int y = 0, m = 0, d = 0;
  std::sscanf(day, "%d-%d-%d", &y, &m, &d);
  return tsmcal::DaysFromCivil(y, m, d) * tsmcal::kSecondsPerDay;
}

std::vector<std::string> Formatted(const std::vector<long long>& starts, size_t n) {
  std::vector<std::string> out;
  for (size_t i = 0; i < starts.size() && i < n; ++i) out.push_back(tsmcal::FormatMoment(starts[i]));
  return out;
}

struct TsmRow {
  const char* line;  // columns of a detailed listing's line, see Read
  const char* from;
  std::vector<std::string> first;  // the first starts from `from`
};

// A row's columns: start, duration, style, period, day of week, month, day
// of month, week of month and expiration, as the detailed listing writes them.
bool Read(const char* columns, tsmsched::Schedule* s, std::string* problem) {
  std::vector<std::string> f;
  tsmsplit::SplitQueryLine(columns, f);
  if (f.size() != 9) return false;
  tsmsched::ScheduleText t;
  t.domain = "DOM";
  t.name = "S";
  t.action = "Incremental";
  t.start = f[0];
  t.style = f[2];
  t.period = f[3];
  t.dayOfWeek = f[4];
  t.months = f[5];
  t.daysOfMonth = f[6];
  t.weeksOfMonth = f[7];
  t.expiration = f[8];
  return tsmsched::ReadSchedule(t, s, problem);
}

TEST(TsmScheduleModelTest, StartsAsIbmDocumentsThem) {
  const TsmRow rows[] = {
      // Monthly from the 31st: the month's last day when shorter, that day kept from then on.
      {"03/31/1998 10:00:00,1 Hour(s),Classic,1 Month(s),Any,,,,",
       "1998-03-01",
       {"1998-03-31 10:00", "1998-04-30 10:00", "1998-05-30 10:00", "1998-06-30 10:00"}},
      {"03/31/1998 10:00:00,1 Hour(s),Classic,1 Month(s),Any,,,,",
       "1999-01-01",
       {"1999-01-30 10:00", "1999-02-28 10:00", "1999-03-28 10:00"}},
      {"02/29/2024 08:00:00,1 Hour(s),Classic,1 Year(s),Any,,,,",
       "2024-03-01",
       {"2025-02-28 08:00", "2026-02-28 08:00", "2027-02-28 08:00", "2028-02-28 08:00"}},
      // A window on an excluded day moves forward a day at a time.
      {"01/03/2026 21:00:00,1 Hour(s),Classic,1 Day(s),Weekday,,,,",
       "2026-01-01",
       {"2026-01-05 21:00", "2026-01-06 21:00", "2026-01-07 21:00", "2026-01-08 21:00", "2026-01-09 21:00",
        "2026-01-12 21:00"}},
      {"01/07/2026 02:00:00,1 Hour(s),Classic,1 Week(s),Sunday,,,,",
       "2026-01-01",
       {"2026-01-11 02:00", "2026-01-18 02:00"}},
      {"01/31/2026 22:00:00,4 Hour(s),Classic,1 Month(s),Saturday,,,,",
       "2026-01-01",
       {"2026-01-31 22:00", "2026-02-28 22:00", "2026-03-28 22:00", "2026-05-02 22:00", "2026-05-30 22:00"}},
      // Hours run on across midnight; the expiration day is the last one used.
      {"01/01/2026 17:00:00,1 Hour(s),Classic,3 Hour(s),Any,,,,",
       "2026-01-01",
       {"2026-01-01 17:00", "2026-01-01 20:00", "2026-01-01 23:00", "2026-01-02 02:00"}},
      {"01/01/2026 09:00:00,1 Hour(s),Classic,1 Day(s),Any,,,,01/03/2026 00:00:00",
       "2026-01-01",
       {"2026-01-01 09:00", "2026-01-02 09:00", "2026-01-03 09:00"}},
      {"03/14/2026 18:30:00,1 Hour(s),Classic,One Time,Any,,,,", "2026-01-01", {"2026-03-14 18:30"}},
      // Enhanced: a negative day counts from the month's end.
      {"01/01/2026 22:00:00,1 Hour(s),Enhanced,,Any,Any,-1,Any,",
       "2026-01-01",
       {"2026-01-31 22:00", "2026-02-28 22:00", "2026-03-31 22:00", "2026-04-30 22:00"}},
      {"01/01/2026 20:00:00,1 Hour(s),Enhanced,,Fri,Any,Any,Last,",
       "2026-01-01",
       {"2026-01-30 20:00", "2026-02-27 20:00", "2026-03-27 20:00"}},
      {"01/01/2026 01:00:00,1 Hour(s),Enhanced,,Weekday,Any,Any,First,",
       "2026-01-01",
       {"2026-01-01 01:00", "2026-01-02 01:00", "2026-01-05 01:00", "2026-01-06 01:00", "2026-01-07 01:00",
        "2026-02-02 01:00"}},
      {"01/01/2026 21:00:00,1 Hour(s),Enhanced,,Mon,\"Apr,Oct\",Any,First,",
       "2026-01-01",
       {"2026-04-06 21:00", "2026-10-05 21:00", "2027-04-05 21:00"}},
      {"01/01/2026 03:00:00,1 Hour(s),Enhanced,,Any,\"Jan,Jul\",\"1,-2\",Any,",
       "2026-01-01",
       {"2026-01-01 03:00", "2026-01-30 03:00", "2026-07-01 03:00", "2026-07-30 03:00"}},
  };
  for (const TsmRow& row : rows) {
    tsmsched::Schedule s;
    std::string problem;
    ASSERT_TRUE(Read(row.line, &s, &problem)) << row.line << ": " << problem;
    std::vector<long long> starts;
    const long long from = Moment(row.from);
    ASSERT_TRUE(tsmsched::StartTimes(s, from, from + 1600 * tsmcal::kSecondsPerDay, &starts, &problem))
        << row.line;
    EXPECT_EQ(Formatted(starts, row.first.size()), row.first)
        << row.line << " (" << tsmsched::Describe(s) << ")";
  }
}

TEST(TsmScheduleModelTest, UndefinedWordsCannotBeChecked) {
  for (const char* line : {"01/01/2026 03:00:00,1 Hour(s),Enhanced,,Any,Any,32,Any,",
                           "01/01/2026 03:00:00,1 Hour(s),Enhanced,,Any,Smarch,Any,Any,",
                           "01/01/2026 03:00:00,1 Hour(s),Classic,1 Day(s),Holiday,,,,"}) {
    tsmsched::Schedule s;
    std::string problem;
    ASSERT_TRUE(Read(line, &s, &problem)) << line;
    std::vector<long long> starts;
    EXPECT_FALSE(tsmsched::StartTimes(s, 0, 400 * tsmcal::kSecondsPerDay, &starts, &problem)) << line;
    EXPECT_FALSE(problem.empty()) << line;
  }
}

struct HostRow {
  const char* what;
  tsmreport::PatternValues p;
  std::vector<std::string> first;  // from the start date on; empty: the pattern cannot be run
};

tsmreport::PatternValues Pattern(long long kind, const char* start, long long timeOfDay) {
  tsmreport::PatternValues p;
  p.present = true;
  p.kind = kind;
  p.startDate = Moment(start);
  p.startTimeOfDay = timeOfDay;
  p.endTimeOfDay = tsmcal::kSecondsPerDay;
  p.recurrenceFactor = 1;
  return p;
}

template <class Fn>
tsmreport::PatternValues With(tsmreport::PatternValues p, Fn fn) {
  fn(p);
  return p;
}

TEST(HostPatternModelTest, StartsOfEachPatternKind) {
  using P = tsmreport::PatternValues;
  const HostRow rows[] = {
      {"every 3 hours from 17:00 stops at the day's end",
       With(Pattern(8, "2026-01-01", 17 * 3600),
            [](P& p) { p.dayFlags = 0x7f, p.repeatIntervalSeconds = 10800; }),
       {"2026-01-01 17:00", "2026-01-01 20:00", "2026-01-01 23:00", "2026-01-02 17:00"}},
      {"every 2 days counts from the start date, on flagged days only",
       With(Pattern(8, "2026-01-05", 3600),
            [](P& p) { p.dayFlags = 0x3e, p.repeatIntervalSeconds = 2 * 86400; }),
       {"2026-01-05 01:00", "2026-01-07 01:00", "2026-01-09 01:00", "2026-01-13 01:00"}},
      {"every 2 weeks on Sunday",
       With(Pattern(8, "2026-01-04", 7200), [](P& p) { p.dayFlags = 1, p.recurrenceFactor = 2; }),
       {"2026-01-04 02:00", "2026-01-18 02:00", "2026-02-01 02:00"}},
      {"end date at 10:00 ends before that day's 21:00",
       With(Pattern(8, "2026-01-01", 21 * 3600),
            [](P& p) {
              p.dayFlags = 0x7f, p.repeatIntervalSeconds = 86400, p.endDateSet = 1,
              p.endDate = Moment("2026-01-03"), p.endTimeOfDay = 36000;
            }),
       {"2026-01-01 21:00", "2026-01-02 21:00"}},
      {"day 30 every 12 months",
       With(Pattern(16, "2026-12-30", 72000), [](P& p) { p.flagDayOfMonth = 30, p.recurrenceFactor = 12; }),
       {"2026-12-30 20:00", "2027-12-30 20:00"}},
      {"first Saturday monthly",
       With(Pattern(32, "2026-01-31", 79200), [](P& p) { p.flagWeekOfMonth = 1, p.flagDayKind = 7; }),
       {"2026-02-07 22:00", "2026-03-07 22:00", "2026-04-04 22:00"}},
      {"last weekday monthly",
       With(Pattern(32, "2026-01-01", 0), [](P& p) { p.flagWeekOfMonth = 5, p.flagDayKind = 9; }),
       {"2026-01-30 00:00", "2026-02-27 00:00", "2026-03-31 00:00"}},
      {"July 1 yearly",
       With(Pattern(64, "2026-01-01", 10800), [](P& p) { p.recurrenceFactor = 7, p.dayValue = 1; }),
       {"2026-07-01 03:00", "2027-07-01 03:00"}},
      {"last Sunday of March",
       With(Pattern(128, "2026-01-01", 3600),
            [](P& p) { p.recurrenceFactor = 3, p.weekOfMonth = 5, p.dayValue = 1; }),
       {"2026-03-29 01:00", "2027-03-28 01:00"}},
      {"once", Pattern(1, "2026-03-14", 66600), {"2026-03-14 18:30"}},
      {"unknown kind", Pattern(2, "2026-01-01", 0), {}},
  };
  for (const HostRow& row : rows) {
    std::vector<long long> starts;
    std::string problem;
    const long long from = row.p.startDate;
    const bool ok =
        tsmverify::AddHostStarts(row.p, from, from + 800 * tsmcal::kSecondsPerDay, &starts, &problem);
    EXPECT_EQ(ok, !row.first.empty()) << row.what << ": " << problem;
    std::sort(starts.begin(), starts.end());
    EXPECT_EQ(Formatted(starts, row.first.size()), row.first) << row.what;
  }
}

}  // namespace
