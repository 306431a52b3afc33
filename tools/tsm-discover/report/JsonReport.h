// The takeover report as JSON, for the tools of a migration (spreadsheets,
// ticket systems, monitoring): what the page shows, as values. The layout
// is docs/inventory.schema.json. Written from a ReportModel, so a site's
// job lists are streamed into it exactly as for the page; this only
// writes to `out` (a failing stream is the caller's to check).
//
// Times are UTC ("2026-11-15T18:00:00Z"); the job history's days are
// local days of TZ, named in "timeZone".
#pragma once

#include <iosfwd>

#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmreport {

void WriteJsonReport(const ReportModel& model, std::ostream& out);

// Version of the JSON layout; raised when a field changes meaning or goes.
constexpr int kInventoryFormatVersion = 1;

}  // namespace tsmreport
