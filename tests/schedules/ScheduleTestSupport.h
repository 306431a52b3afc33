// Output of the full schedule query as dsmadmc writes it, for the
// schedule query tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/FakeDsmadmc.h"

namespace schedtest {

// The four lines dsmadmc writes before the data, one empty, one with commas.
inline std::string Header() {
  return "ANS8000I Server command: 'query schedule'\n\nPolicy Domain Name,Schedule Name,Action\n"
         "ANS8001I Session established\n";
}

// Columns of the 19-column layout; the 20-column one has a sub-action
// column before the options.
enum Column {
  kName = 1,
  kDescription,
  kAction,
  kObjects = 5,
  kStyle = 9,
  kDayOfWeek = 11,
  kMonths,
  kDaysOfMonth,
  kWeeksOfMonth,
  kLast = 18
};

// A backup schedule line, 19 columns or `twenty`, then `extra` fields;
// `set` replaces columns by their 19-column index.
inline std::string ScheduleLine(bool twenty, const std::map<int, std::string>& set = {},
                                const std::vector<std::string>& extra = {}) {
  std::vector<std::string> f = {"STANDARD",
                                "DAILY",
                                "Nightly",
                                "Incremental",
                                "-subdir=yes",
                                "",
                                "5",
                                "03/14/2026 21:00:00",
                                "1 Hour",
                                "Classic",
                                "1 Day",
                                "Any",
                                "",
                                "",
                                "",
                                "12/31/2026 23:59:59",
                                "ADMIN",
                                "03/01/2026 10:00:00",
                                ""};
  for (const auto& [column, value] : set) f[column] = value;
  if (twenty) f.insert(f.begin() + 4, "");
  f.insert(f.end(), extra.begin(), extra.end());
  return testsupport::CsvLine(f);
}

}  // namespace schedtest
