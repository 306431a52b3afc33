// A subtask's run pattern in plain words, for the takeover report:
// "every 3 hours, any day, from 17:00", "yearly on the last Sunday of
// March", "once on 2012-12-31 23:30".
//
// Pattern dates are wall-clock dates of the pattern's own time zone (the
// date's midnight counted as if it were UTC), so they are shown as they
// are, without a time-zone conversion. A pattern kind the words do not
// know reads "pattern kind N"; nothing here fails.
#pragma once

#include <string>

class CNMessageBase;

namespace tsmreport {

// `pattern` is a TMMsg::SubTaskPattern (null gives "no pattern").
std::string PatternWords(const CNMessageBase* pattern);

// "2012-12-31 23:30" from a pattern date and a time of day in seconds.
std::string PatternDateTime(long long date, long long secondsOfDay);

}  // namespace tsmreport
