// TSM day, week and month words and the host's codes for them.
//
// Day code (dayKind, dayValue): 1 Sunday ... 7 Saturday, 8 any day,
// 9 weekday, 10 weekend day. Week code: 1 first ... 4 fourth, 5 last.
// Month code: 1 January ... 12 December. A word outside a mapping gives 0
// (or no day flag); none of these report an error.
//
// Period schedules spell days out ("Weekday", "Sunday"); enhanced
// schedules abbreviate them ("WD", "Sun"). Day words compare ignoring
// case; month and week words compare exactly, so "jan" and "last" map to 0.
#pragma once

#include <string>

namespace TMMsg {
class DaysToRun;
}  // namespace TMMsg

// Sets to 1 the day flags of a period schedule's day of week: "Any" all
// seven, "Weekday" Monday to Friday, "Weekend" Sunday and Saturday,
// "Sunday" ... "Saturday" that day. Other words and a null `days` set
// nothing; flags already set stay.
void setDaysToRun(TMMsg::DaysToRun* days, const std::string& dayOfWeek);

// Enhanced day item to day code ("Any", "WD", "WE", "Sun" ... "Sat").
int GetDaysToRun_Enhanced(const std::string& day);
// Enhanced month item to month code ("Jan" ... "Dec"), exact.
int GetMonthsToRun_Enhanced(const std::string& month);
// Enhanced week item to week code ("First" ... "Fourth", "Last"), exact.
int GetWeekToRun_Enhanced(const std::string& week);

// Period schedule day of week to day code ("Any", "Weekday", "Weekend",
// "Sunday" ... "Saturday").
int MapDayOfWeek_TSMToZY(const std::string& dayOfWeek);

// Sets to 1 the day flags that day code `code` covers (nothing for 0 or an
// unknown code). A null `days` is ignored.
void SetDayFlags(TMMsg::DaysToRun* days, int code);

// The leading decimal integer of a period text or day item ("4 Hour(s)"
// gives 4), 0 when there is none; held to the range of int, so products
// with seconds per day cannot overflow.
int LeadingNumber(const std::string& text);
