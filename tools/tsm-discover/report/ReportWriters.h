// The takeover report's two forms, written from a ReportModel:
// one self-contained HTML page (inline style, SVG charts drawn here, a few
// lines of inline script only to sort the clients table; no external
// file, no network) and plain text for terminals with the same summary
// and tables. Both only write to `out`; a failing stream is the caller's
// to check. All text from the replies is escaped in the page.
#pragma once

#include <iosfwd>

#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmreport {

void WriteHtmlReport(const ReportModel& model, std::ostream& out);
void WriteTextReport(const ReportModel& model, std::ostream& out);

}  // namespace tsmreport
