#include "tools/tsm-discover/verify/HostRuns.h"

#include <algorithm>

#include "tools/tsm-schedule/Calendar.h"

namespace tsmverify {
namespace {

using tsmcal::kSecondsPerDay;
using tsmreport::PatternValues;
using namespace tsmreport;  // the pattern kinds
constexpr long long kLastWeek = 5;
constexpr size_t kMaxStarts = 600000;

// Day code: 1-7 Sunday-Saturday, 8 any day, 9 weekday, 10 weekend day.
bool HasDayCode(long long day, long long code) {
  const int w = tsmcal::Weekday(day);
  if (code >= 1 && code <= 7) return w == code - 1;
  if (code == 8) return true;
  if (code == 9) return w >= 1 && w <= 5;
  if (code == 10) return w == 0 || w == 6;
  return false;
}

// True when `day` is the week-th (kLastWeek: last) day of `code` in its month.
bool IsNthOfMonth(long long day, long long week, long long code) {
  if (!HasDayCode(day, code)) return false;
  const tsmcal::Civil c = tsmcal::CivilFromDays(day);
  const long long first = day - (c.day - 1);
  const long long last = first + tsmcal::DaysInMonth(c.year, c.month) - 1;
  if (week == kLastWeek) {
    for (long long d = day + 1; d <= last; ++d) {
      if (HasDayCode(d, code)) return false;
    }
    return true;
  }
  long long n = 0;
  for (long long d = first; d <= day; ++d) n += HasDayCode(d, code) ? 1 : 0;
  return n == week;
}

long long MonthIndex(long long day) {
  const tsmcal::Civil c = tsmcal::CivilFromDays(day);
  return c.year * 12 + c.month - 1;
}

// Whether the pattern runs on `day`; *problem set for values it cannot run with.
class DayRule {
 public:
  DayRule(const PatternValues& p) : p_(p), startDay_(tsmcal::DayOf(p.startDate)) {}

  bool Check(std::string* problem) const {
    const long long r = p_.repeatIntervalSeconds;
    switch (p_.kind) {
      case kOnce:
        return true;
      case kOnDaysOfWeek:
        if (r >= kSecondsPerDay && r % kSecondsPerDay != 0)
          return Fail(problem, "a repeat interval of " + std::to_string(r) + " seconds");
        if (r < kSecondsPerDay && p_.recurrenceFactor < 1) return Fail(problem, "no week recurrence");
        return true;
      case kOnDayOfMonth:
      case kOnWeekOfMonth:
        if (p_.recurrenceFactor < 1) return Fail(problem, "no month recurrence");
        return true;
      case kOnMonthAndDay:
      case kOnMonthAndWeek:
        if (p_.recurrenceFactor < 1 || p_.recurrenceFactor > 12)
          return Fail(problem, "month " + std::to_string(p_.recurrenceFactor));
        return true;
      default:
        return Fail(problem, "pattern kind " + std::to_string(p_.kind));
    }
  }

  bool RunsOn(long long day) const {
    const tsmcal::Civil c = tsmcal::CivilFromDays(day);
    switch (p_.kind) {
      case kOnce:
        return day == startDay_;
      case kOnDaysOfWeek:
        return (p_.dayFlags >> tsmcal::Weekday(day) & 1) && InStep(day);
      case kOnDayOfMonth:
        return c.day == p_.flagDayOfMonth && MonthStep(day);
      case kOnWeekOfMonth:
        return MonthStep(day) && IsNthOfMonth(day, p_.flagWeekOfMonth, p_.flagDayKind);
      case kOnMonthAndDay:
        return c.month == p_.recurrenceFactor && c.day == p_.dayValue;
      case kOnMonthAndWeek:
        return c.month == p_.recurrenceFactor && IsNthOfMonth(day, p_.weekOfMonth, p_.dayValue);
      default:
        return false;
    }
  }

 private:
  static bool Fail(std::string* problem, const std::string& what) {
    *problem = "the host pattern has " + what;
    return false;
  }
  bool InStep(long long day) const {
    const long long r = p_.repeatIntervalSeconds;
    if (r >= kSecondsPerDay) return (day - startDay_) % (r / kSecondsPerDay) == 0;
    if (p_.recurrenceFactor <= 1) return true;
    // Weeks from Sunday to Saturday.
    const long long week = (day - tsmcal::Weekday(day)) / 7,
                    startWeek = (startDay_ - tsmcal::Weekday(startDay_)) / 7;
    return (week - startWeek) % p_.recurrenceFactor == 0;
  }
  bool MonthStep(long long day) const {
    return (MonthIndex(day) - MonthIndex(startDay_)) % p_.recurrenceFactor == 0;
  }

  const PatternValues& p_;
  long long startDay_;
};

}  // namespace

bool AddHostStarts(const PatternValues& p, long long from, long long to, std::vector<long long>* starts,
                   std::string* problem) {
  if (!p.present) {
    *problem = "a subtask has no run pattern";
    return false;
  }
  const DayRule rule(p);
  if (!rule.Check(problem)) return false;
  const long long begin = p.startDate + p.startTimeOfDay;
  const long long end = p.endDateSet != 0 ? p.endDate + p.endTimeOfDay : to;
  const long long r = p.repeatIntervalSeconds;
  const bool repeats = p.kind != kOnce && r > 0 && r < kSecondsPerDay;
  const long long lastDay = tsmcal::DayOf(std::min(to, end + 1) - 1);
  for (long long day = std::max(tsmcal::DayOf(from), tsmcal::DayOf(p.startDate)); day <= lastDay; ++day) {
    if (!rule.RunsOn(day)) continue;
    for (long long t = p.startTimeOfDay; t < kSecondsPerDay && (t == p.startTimeOfDay || t <= p.endTimeOfDay);
         t = repeats ? t + r : kSecondsPerDay) {
      const long long moment = day * kSecondsPerDay + t;
      if (moment >= from && moment < to && moment >= begin && moment <= end) starts->push_back(moment);
    }
    if (starts->size() > kMaxStarts) {
      *problem = "more than " + std::to_string(kMaxStarts) + " starts in the window";
      return false;
    }
  }
  return true;
}

bool HostStartTimes(const std::vector<tsmreport::SubTaskRow>& subtasks, long long from, long long to,
                    std::vector<long long>* starts, std::string* problem) {
  starts->clear();
  for (const tsmreport::SubTaskRow& s : subtasks) {
    if (!AddHostStarts(s.pattern, from, to, starts, problem)) return false;
  }
  std::sort(starts->begin(), starts->end());
  starts->erase(std::unique(starts->begin(), starts->end()), starts->end());
  return true;
}

}  // namespace tsmverify
