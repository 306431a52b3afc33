// Formatting shared by the HTML and text writers: times in the process's
// time zone, byte sizes, rates.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmreport {

// "2026-11-15 19:00" in the local time zone; "never" for -1.
std::string LocalTime(long long unixTime);
// The zone the local times are in: "CET (+0100)", from TZ.
std::string ZoneName(long long atUnixTime);
// "1.5 GiB"
std::string Bytes(long long bytes);
// "95%" (of `part` in `whole`); "-" when whole is 0.
std::string Percent(long part, long whole);
// "2026-11-15" from a YYYYMMDD key.
std::string DayText(long long day);
// A pattern's values and its days part under the host's field names
// (frequencyType, recurrenceFactor, ...; sunday ... saturday, dayOfMonth,
// weekOfMonth, dayKind), in a fixed order, for the JSON and the diff.
using NamedNumbers = std::vector<std::pair<const char*, long long>>;
NamedNumbers PatternNumbers(const PatternValues& v);
NamedNumbers PatternDayNumbers(const PatternValues& v);

// "name: content, content" per subclient ("name" alone without content).
std::vector<std::string> SubclientWords(const std::vector<SubclientRow>& subclients);

}  // namespace tsmreport
