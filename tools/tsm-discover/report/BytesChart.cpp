#include "tools/tsm-discover/report/BytesChart.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "tools/tsm-discover/report/Escape.h"
#include "tools/tsm-discover/report/ReportFormat.h"

namespace tsmreport {
namespace {

// Days since 1970-01-01 of a YYYYMMDD key, for the x axis.
long long DayNumber(long long day) {
  tm parts{};
  parts.tm_year = static_cast<int>(day / 10000) - 1900;
  parts.tm_mon = static_cast<int>(day / 100 % 100) - 1;
  parts.tm_mday = static_cast<int>(day % 100);
  return static_cast<long long>(timegm(&parts)) / 86400;
}

}  // namespace

std::string BytesChart(const std::map<long long, DayTotals>& days, int width, int height,
                       const std::string& id) {
  if (days.empty()) return "<p class=\"note\">No jobs.</p>";
  const long long first = DayNumber(days.begin()->first);
  const long long span = DayNumber(days.rbegin()->first) - first + 1;
  long long most = 1;
  for (const auto& d : days) most = std::max(most, d.second.bytes);
  const double slot = static_cast<double>(width) / static_cast<double>(span);
  const double bar = std::max(1.0, slot * 0.8);
  const int plot = height - 14;  // room for the axis labels

  std::string svg = "<svg id=\"" + EscapeHtml(id) +
                    "\" class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" role=\"img\">";
  char rect[200];
  for (const auto& [day, t] : days) {
    const double x = slot * static_cast<double>(DayNumber(day) - first);
    const double h = std::max(1.0, plot * static_cast<double>(t.bytes) / static_cast<double>(most));
    std::snprintf(rect, sizeof(rect),
                  "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" class=\"%s\">", x, plot - h,
                  bar, h, t.failed > 0 ? "bad" : "ok");
    svg += rect;
    svg += "<title>" + DayText(day) + ": " + Bytes(t.bytes) + ", " + std::to_string(t.jobs) + " jobs, " +
           std::to_string(t.failed) + " failed</title></rect>";
  }
  svg += "<text x=\"0\" y=\"" + std::to_string(height - 2) + "\">" + DayText(days.begin()->first) + "</text>";
  svg += "<text x=\"" + std::to_string(width) + "\" y=\"" + std::to_string(height - 2) +
         "\" text-anchor=\"end\">" + DayText(days.rbegin()->first) + "</text>";
  svg += "<text x=\"" + std::to_string(width) + "\" y=\"10\" text-anchor=\"end\">max " + Bytes(most) +
         " a day</text></svg>";
  return svg;
}

}  // namespace tsmreport
