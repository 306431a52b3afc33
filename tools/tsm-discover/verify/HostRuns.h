// When the host starts a handed-over task: its subtasks' run patterns
// worked out over a range of wall-clock moments (tools/tsm-schedule/
// Calendar.h), by the host's meaning of each pattern kind the subtask
// builders write:
//   1   once, at the start date and time;
//   8   on the flagged days of the week: every N days counted from the
//       start date when the repeat interval is N whole days, otherwise
//       every recurrenceFactor weeks (Sunday to Saturday) counted from the
//       start date's week;
//   16  on day dayOfMonth (of daysToRun) every recurrenceFactor months
//       counted from the start date's month; a month without that day has
//       no run;
//   32  on the n-th (5: last) day of a day code (1-7 Sunday-Saturday, 8 any
//       day, 9 weekday, 10 weekend day) of the month, week and code from
//       daysToRun, every recurrenceFactor months from the start month;
//   64  yearly on month recurrenceFactor, day dayValue;
//   128 yearly on month recurrenceFactor, the weekOfMonth-th day of code
//       dayValue.
// On a run day the first start is at startTimeOfDay; a repeat interval
// under a day repeats it while the time of day is at most endTimeOfDay.
// Nothing starts before the start date and time or, when endDateSet,
// after endDate at endTimeOfDay. Pure functions; nothing here throws.
#pragma once

#include <string>
#include <vector>

#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmverify {

// Appends the starts of one pattern in [from, to) to *starts (unsorted).
// False with *problem for a pattern kind or value the host cannot run.
bool AddHostStarts(const tsmreport::PatternValues& p, long long from, long long to,
                   std::vector<long long>* starts, std::string* problem);

// The starts of all of a task's subtasks, ascending, without repeats.
bool HostStartTimes(const std::vector<tsmreport::SubTaskRow>& subtasks, long long from, long long to,
                    std::vector<long long>* starts, std::string* problem);

}  // namespace tsmverify
