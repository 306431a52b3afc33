#include <ostream>
#include <string>

#include "tools/tsm-discover/report/BytesChart.h"
#include "tools/tsm-discover/report/Escape.h"
#include "tools/tsm-discover/report/ReportFormat.h"
#include "tools/tsm-discover/report/ReportWriters.h"

namespace tsmreport {
namespace {

const char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222}h1{font-size:1.5em}h2{border-bottom:1px solid #999;"
    "margin-top:1.5em}table{border-collapse:collapse;margin:.5em 0}th,td{border:1px solid #ccc;padding:2px "
    "6px;"
    "text-align:left;vertical-align:top}th{background:#eee}th.sort{cursor:pointer}.bad{fill:#c33;color:#c33}"
    ".ok{fill:#38c}.okbar{stroke:#38c}.badbar{stroke:#c33}.chart "
    "text{font-size:10px;fill:#555}.note{color:#666}ul{margin:0;padding-left:1.2em}"
    "@media print{th.sort{cursor:auto}h2{break-after:avoid}tr{break-inside:avoid}}";

// Sorts the clients table by the clicked column; the page reads fine without it.
const char kSortScript[] =
    "document.querySelectorAll('table.sortable th').forEach(function(th,i){th.classList.add('sort');"
    "th.onclick=function(){var b=th.closest('table').tBodies[0],r=[].slice.call(b.rows),d=th.dataset.d=="
    "'1'?-1:1;th.dataset.d=d>0?'1':'0';r.sort(function(x,y){return d*x.cells[i].textContent.localeCompare("
    "y.cells[i].textContent,undefined,{numeric:true})});r.forEach(function(x){b.appendChild(x)})}})";

std::string E(const std::string& s) { return EscapeHtml(s); }

std::string Cell(const std::string& s) { return "<td>" + E(s) + "</td>"; }

std::string List(const std::vector<std::string>& items) {
  if (items.empty()) return "<td></td>";
  std::string html = "<td><ul>";
  for (const std::string& i : items) html += "<li>" + E(i) + "</li>";
  return html + "</ul></td>";
}

void Header(std::ostream& out, std::initializer_list<const char*> columns) {
  out << "<thead><tr>";
  for (const char* c : columns) out << "<th>" << c << "</th>";
  out << "</tr></thead><tbody>\n";
}

void Summary(const ReportModel& m, std::ostream& out) {
  out << "<section id=\"summary\"><h2>Summary</h2><table>";
  auto row = [&out](const std::string& k, const std::string& v) {
    out << "<tr><th>" << E(k) << "</th>" << Cell(v) << "</tr>\n";
  };
  row("Server", m.server);
  row("Discovered on", m.hostName);
  row("Discovered at", LocalTime(m.discoveredAt) + " " + ZoneName(m.discoveredAt));
  row("Clients", std::to_string(m.clients.size()));
  for (const auto& [type, n] : m.agentsByType) row("Agents: " + type, std::to_string(n));
  row("Tasks", std::to_string(m.tasks.size()));
  row("Subtasks", std::to_string(m.subtasks));
  row("Libraries", std::to_string(m.libraries.size()));
  row("Drives online / offline", std::to_string(m.drivesOnline) + " / " + std::to_string(m.drivesOffline));
  row("Media", std::to_string(m.media.size()));
  row("Storage policies", std::to_string(m.policies.size()));
  row("Jobs", std::to_string(m.jobs));
  if (m.unreadable > 0) row("Unreadable reply files", std::to_string(m.unreadable));
  out << "</table>";
  out << "<h3>Errors sent to the host</h3>";
  if (m.errors.empty()) out << "<p class=\"note\">None.</p>";
  for (const std::string& e : m.errors) out << "<p class=\"bad\">" << E(e) << "</p>";
  out << "</section>\n";
}

void Clients(const ReportModel& m, std::ostream& out) {
  out << "<section id=\"clients\"><h2>Clients</h2><table class=\"sortable\">";
  Header(out, {"Name", "Host", "Operating system", "Agent", "Client version", "Server role", "Subclients",
               "DB2 instances"});
  for (const ClientRow& c : m.clients) {
    out << "<tr class=\"client\">" << Cell(c.name) << Cell(c.host) << Cell(c.os) << Cell(c.agents)
        << Cell(c.version) << Cell(c.marks) << List(SubclientWords(c.subclients)) << Cell(c.db2) << "</tr>\n";
  }
  out << "</tbody></table></section>\n";
}

void Schedules(const ReportModel& m, std::ostream& out) {
  out << "<section id=\"schedules\"><h2>Schedules</h2><table>";
  Header(out, {"Task", "Clients", "Subtask", "Runs", "Start", "End", "Zone"});
  for (const TaskRow& t : m.tasks) {
    const size_t rows = t.subtasks.empty() ? 1 : t.subtasks.size();
    const std::string span = " rowspan=\"" + std::to_string(rows) + "\"";
    out << "<tr class=\"task\"><td" << span << "><b>" << E(t.name) << "</b><br>" << E(t.description)
        << "</td>";
    out << "<td" << span << ">";
    for (const std::string& c : t.clients) out << E(c) << "<br>";
    out << "</td>";
    if (t.subtasks.empty()) out << "<td colspan=\"5\" class=\"note\">no subtask</td></tr>\n";
    for (size_t i = 0; i < t.subtasks.size(); ++i) {
      const SubTaskRow& s = t.subtasks[i];
      if (i > 0) out << "<tr>";
      out << Cell(s.name) << Cell(s.words) << Cell(s.start) << Cell(s.end) << Cell(s.zone) << "</tr>\n";
    }
  }
  out << "</tbody></table></section>\n";
}

void Storage(const ReportModel& m, std::ostream& out) {
  out << "<section id=\"storage\"><h2>Storage</h2><h3>Libraries and drives</h3><table>";
  Header(out, {"Library", "Drive", "Type", "Serial", "Online"});
  for (const LibraryRow& l : m.libraries) {
    out << "<tr class=\"library\">" << Cell(l.name);
    if (l.drives.empty()) out << "<td colspan=\"4\" class=\"note\">no drives</td></tr>\n";
    for (size_t i = 0; i < l.drives.size(); ++i) {
      const DriveRow& d = l.drives[i];
      if (i > 0) out << "<tr><td></td>";
      out << Cell(d.name) << Cell(d.type) << Cell(d.serial) << "<td"
          << (d.online ? ">yes" : " class=\"bad\">no") << "</td></tr>\n";
    }
  }
  out << "</tbody></table><h3>Media</h3><table>";
  Header(out, {"Library", "Medium", "Capacity (MB)"});
  for (const MediaRow& r : m.media)
    out << "<tr>" << Cell(r.library) << Cell(r.name) << Cell(r.capacity) << "</tr>\n";
  out << "</tbody></table><h3>Storage policies</h3><table>";
  Header(out, {"Policy", "Copy", "Description", "Data paths"});
  for (const PolicyRow& p : m.policies) {
    out << "<tr class=\"policy\">" << Cell(p.name);
    if (p.copies.empty()) out << "<td colspan=\"3\"></td></tr>\n";
    for (size_t i = 0; i < p.copies.size(); ++i) {
      if (i > 0) out << "<tr><td></td>";
      out << Cell(p.copies[i].name) << Cell(p.copies[i].description) << Cell(p.copies[i].dataPaths)
          << "</tr>\n";
    }
  }
  out << "</tbody></table></section>\n";
}

void History(const ReportModel& m, std::ostream& out) {
  out << "<section id=\"history\"><h2>Backup history</h2><p class=\"note\">Times in "
      << E(ZoneName(m.discoveredAt)) << ". Bars: bytes backed up per day; red: a job of that day failed.</p>";
  out << BytesChart(m.allDays, 900, 160, "chart-all");
  out << "<table>";
  Header(out, {"Client", "Last backup", "Status", "Jobs", "Success rate", "Bytes per day", "Failed jobs"});
  for (const auto& [name, h] : m.history) {
    out << "<tr class=\"history\">" << Cell(name) << Cell(LocalTime(h.lastStart))
        << (h.lastOk ? "<td>succeeded</td>" : "<td class=\"bad\">failed</td>") << Cell(std::to_string(h.jobs))
        << Cell(Percent(h.succeeded, h.jobs)) << "<td>" << BytesChart(h.days, 240, 44, "chart-" + name)
        << "</td><td>";
    for (const FailedJob& f : h.failed) out << E(LocalTime(f.start) + " " + f.subclient) << "<br>";
    if (h.failedCount > static_cast<long>(h.failed.size()))
      out << "and " << (h.failedCount - static_cast<long>(h.failed.size())) << " earlier";
    out << "</td></tr>\n";
  }
  out << "</tbody></table></section>\n";
}

}  // namespace

void WriteHtmlReport(const ReportModel& m, std::ostream& out) {
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Takeover report: "
      << E(m.server) << "</title><style>" << kStyle
      << "</style></head><body>\n<h1>Takeover report: " << E(m.server) << "</h1>\n";
  out << m.checkHtml;  // the takeover check, escaped where it was written
  Summary(m, out);
  Clients(m, out);
  Schedules(m, out);
  Storage(m, out);
  History(m, out);
  out << "<script>" << kSortScript << "</script></body></html>\n";
}

}  // namespace tsmreport
