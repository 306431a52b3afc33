// The bytes backed up per day as an SVG bar chart, drawn here so the page
// needs no script: one bar per day with a job, red when a job of that day
// failed; a chart 600 pixels wide or more has a <title> per day. Days
// without jobs leave a gap (the x axis is calendar days from the first to
// the last).
#pragma once

#include <map>
#include <string>

#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmreport {

// `id` names the <svg> element; empty `days` gives a short note instead.
std::string BytesChart(const std::map<long long, DayTotals>& days, int width, int height,
                       const std::string& id);

}  // namespace tsmreport
