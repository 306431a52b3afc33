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
  const double barWidth = std::max(1.0, slot * 0.8);
  const bool withTitles = width >= 600;
  const int plot = height - 14;  // room for the axis labels

  std::string svg = "<svg id=\"" + EscapeHtml(id) +
                    "\" class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" role=\"img\">";
  // Bars as vertical strokes of one path per colour: a few bytes a day, so
  // a client's chart stays small however long its history. Only the large
  // chart carries a tooltip per day.
  std::string ok, bad, titles;
  char bar[96];
  for (const auto& [day, t] : days) {
    const double x = slot * static_cast<double>(DayNumber(day) - first) + barWidth / 2;
    const double h = std::max(1.0, plot * static_cast<double>(t.bytes) / static_cast<double>(most));
    std::snprintf(bar, sizeof(bar), "M%.1f %dv%.1f", x, plot, -h);
    (t.failed > 0 ? bad : ok) += bar;
    if (withTitles) {
      std::snprintf(bar, sizeof(bar),
                    "<rect x=\"%.1f\" y=\"0\" width=\"%.1f\" height=\"%d\" fill-opacity=\"0\">",
                    x - barWidth / 2, barWidth, plot);
      titles += bar;
      titles += "<title>" + DayText(day) + ": " + Bytes(t.bytes) + ", " + std::to_string(t.jobs) + " jobs, " +
                std::to_string(t.failed) + " failed</title></rect>";
    }
  }
  std::snprintf(bar, sizeof(bar), "\" stroke-width=\"%.1f\"/>", barWidth);
  if (!ok.empty()) svg += "<path class=\"okbar\" d=\"" + ok + bar;
  if (!bad.empty()) svg += "<path class=\"badbar\" d=\"" + bad + bar;
  svg += titles;
  svg += "<text x=\"0\" y=\"" + std::to_string(height - 2) + "\">" + DayText(days.begin()->first) + "</text>";
  svg += "<text x=\"" + std::to_string(width) + "\" y=\"" + std::to_string(height - 2) +
         "\" text-anchor=\"end\">" + DayText(days.rbegin()->first) + "</text>";
  svg += "<text x=\"" + std::to_string(width) + "\" y=\"10\" text-anchor=\"end\">max " + Bytes(most) +
         " a day</text></svg>";
  return svg;
}

}  // namespace tsmreport
