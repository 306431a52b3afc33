// The column layouts of the detailed schedule listing ("query schedule
// format=detailed" with -comma), told apart by their field count. Every
// server level writes one of them, with or without NODES=
// (docs/notes.md, "Real dsmadmc output"):
//   19  5.x: domain, name, description, action, options, objects,
//       priority, start, duration, style, period, day of week, month, day
//       of month, week of month, expiration, last update by, last update
//       date/time, managing profile
//   20  6.x and 7.x: the subaction after the action
//   21  8.1 and newer: also the maximum run time after the duration
// The last field (managing profile) is often empty, so a line ends in ','
// and its empty last field counts (handler/Splitting.h).
#pragma once

#include <cstddef>
#include <string>

struct DetailedScheduleColumns {
  size_t objects;
  size_t priority;
  size_t startTime;
  size_t style;
  size_t period;
  size_t dayOfWeek;  // also the enhanced days-of-week list
  size_t months;
  size_t daysOfMonth;
  size_t weeksOfMonth;
  size_t endTime;  // the expiration
};

// The layout of a line of `fields` fields; null when no server writes it.
const DetailedScheduleColumns* DetailedScheduleLayoutFor(size_t fields);

// The ERROR line for a schedule line no layout knows, so that it is never
// dropped unseen: the file, the line number and the field count.
void LogUnknownScheduleLayout(const char* function, const std::string& path, size_t lineNumber,
                              size_t fields);
