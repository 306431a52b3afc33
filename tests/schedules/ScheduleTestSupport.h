// Output of the full schedule query as dsmadmc writes it, and one-line
// views of a schedule record and of a message, for the schedule tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/MessageSchema.h"
#include "schedules/CTSMSchedule.h"
#include "tests/support/FakeDsmadmc.h"

namespace schedtest {

// The four lines dsmadmc writes before the data, one empty, one with commas.
inline const std::string kHeader =
    "ANS8000I Server command: 'query schedule'\n\nDomain,Schedule,Action\nANS8001I Session established\n";

// Columns of the 19-column layout (5.x servers); the 20-column one (6.x,
// 7.x) has a sub-action column before the options, the 21-column one (8.1)
// also the maximum run time after the duration.
enum Column { kName = 1, kAction = 3, kObjects = 5, kStyle = 9, kLast = 18 };
enum Width { k19 = 19, k20 = 20, k21 = 21 };

// A backup schedule line of `width` columns, then `extra` fields; `set`
// replaces columns by their 19-column index. The enhanced columns are
// filled; only the style decides whether they count.
inline std::string ScheduleLine(Width width, const std::map<int, std::string>& set = {},
                                const std::vector<std::string>& extra = {}) {
  std::vector<std::string> f = {"STANDARD", "DAILY", "Nightly, all", "Incremental", "-subdir=yes"};
  f.insert(f.end(), {"/home \"/data dir\"", "5", "03/14/2026 21:00:00", "1 Hour", "Classic", "1 Day"});
  f.insert(f.end(), {"Mon,Wed", "Jan,Jul", "1,15", "First,Last", "12/31/2026 23:59:59"});
  f.insert(f.end(), {"ADMIN", "03/01/2026 10:00:00", ""});
  for (const auto& [column, value] : set) f[column] = value;
  if (width == k21) f.insert(f.begin() + 9, "0");
  if (width != k19) f.insert(f.begin() + 4, "");
  f.insert(f.end(), extra.begin(), extra.end());
  return testsupport::CsvLine(f);
}

// Every field of a record on one line: '|' between fields, ';' between
// the items of a list.
inline std::string Describe(const CTSMSchedule& s) {
  std::string out = s.PolicyDomain + "|" + s.SchedName + "|" + s.SchedDesc + "|" + s.SubTaskType + "|" +
                    s.Priority + "|" + s.StartTime + "|" + s.EndTime + "|" + s.Period + "|" + s.DayofWeek +
                    (s.EnhancedSchedule ? "|enhanced" : "|classic");
  for (const auto* list :
       {&s.Objects, &s.DaysOfWeek, &s.Months, &s.DaysOfMonth, &s.WeeksOfMonth, &s.ClientList}) {
    out += "|";
    for (size_t i = 0; i < list->size(); ++i) out += (i > 0 ? ";" : "") + (*list)[i];
  }
  return out;
}

// Every field set in `m` and below it as "name=value" words in index
// order. Fields of the objects of `m` are named alone, deeper ones after
// their object ("daysToRun.monday=1"); an empty object is "name{}", a list
// "name#size".
inline std::string Fields(const CNMessageBase& m, const std::string& prefix = "", bool top = true) {
  std::string out;
  for (const auto& f : m.fields()) {
    const std::string name = prefix + MessageFieldName(m.group(), m.classId(), f.index, f.id);
    if (f.kind == FieldKind::kObject && !f.object()->fields().empty()) {
      out += " " + Fields(*f.object(), top ? "" : name + ".", false);
    } else if (f.kind == FieldKind::kInt64 || f.kind == FieldKind::kString) {
      out += " " + name + "=" + (f.kind == FieldKind::kInt64 ? std::to_string(f.number) : f.text);
    } else {
      out += " " + name + (f.object() ? "{}" : "#" + std::to_string(f.list() ? f.list()->size() : 0));
    }
  }
  return out.empty() ? out : out.substr(1);
}

}  // namespace schedtest
