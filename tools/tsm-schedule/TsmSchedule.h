// A TSM client schedule as the detailed schedule query shows it, and when
// TSM starts it. Written from IBM's documentation of DEFINE SCHEDULE for
// client schedules (the rules and their pages: docs/notes.md, "Takeover
// check"), on purpose without the plug-in's translation code, so that the
// two can be compared.
//
// Classic schedules: startup windows from the start date and time every
// period (minutes, hours, days, weeks, months, years) or once; a window
// that falls on a day the day of week excludes moves forward a day at a
// time until it is allowed; a monthly or yearly window on a day the month
// lacks moves to the month's last day, and later windows keep that day.
// Enhanced schedules: a window at the start time on every day that
// matches all four lists (months, days of month counted from the start or,
// when negative, from the end, weeks of month, days of week). Nothing
// starts before the start moment or after the expiration date.
//
// Moments are wall-clock seconds (tools/tsm-schedule/Calendar.h). Plain
// values, no I/O; nothing here throws.
#pragma once

#include <string>
#include <vector>

namespace tsmsched {

enum class PeriodUnit { kMinutes, kHours, kDays, kWeeks, kMonths, kYears, kOnce };

struct Schedule {
  std::string domain, name, description, action;
  bool enhanced = false;
  long long start = 0;  // start date and time
  bool expires = false;
  long long expirationDay = 0;  // the last day it is used (days from 1970-01-01)
  // Classic.
  int period = 1;
  PeriodUnit unit = PeriodUnit::kDays;
  std::string dayOfWeek = "Any";
  // Enhanced; an empty list means any.
  std::vector<std::string> months, daysOfMonth, weeksOfMonth, daysOfWeek;
};

// The columns of one line of `query schedule format=detailed`, as text;
// the reader of the listing picks them by its layout.
struct ScheduleText {
  std::string domain, name, description, action;
  std::string start, style, period, dayOfWeek, months, daysOfMonth, weeksOfMonth, expiration;
};

// Fills *s from the columns. False with *problem for a start, expiration
// or period that does not read.
bool ReadSchedule(const ScheduleText& text, Schedule* s, std::string* problem);

// "MM/DD/YYYY HH:MM:SS" (date format 1) into wall-clock seconds.
bool ParseTsmMoment(const std::string& text, long long* seconds);

// The start moments in [from, to), ascending, without repeats. False with
// *problem for a word the documentation does not define (the schedule
// cannot be checked) or for more than kMaxRuns starts.
constexpr size_t kMaxRuns = 600000;
bool StartTimes(const Schedule& s, long long from, long long to, std::vector<long long>* starts,
                std::string* problem);

// The schedule in words: "every 4 hours from 2026-02-01 00:15, weekdays,
// until 2027-12-31", "the last day of each month at 22:00".
std::string Describe(const Schedule& s);

}  // namespace tsmsched
