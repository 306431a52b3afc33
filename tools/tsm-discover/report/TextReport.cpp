#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tools/tsm-discover/report/ReportFormat.h"
#include "tools/tsm-discover/report/ReportWriters.h"

namespace tsmreport {
namespace {

using Row = std::vector<std::string>;

// Columns padded to their widest cell, two blanks apart.
void Table(std::ostream& out, const std::string& title, const Row& header, const std::vector<Row>& rows) {
  std::vector<size_t> width(header.size());
  for (size_t i = 0; i < header.size(); ++i) width[i] = header[i].size();
  for (const Row& r : rows) {
    for (size_t i = 0; i < r.size() && i < width.size(); ++i) width[i] = std::max(width[i], r[i].size());
  }
  out << "\n" << title << "\n";
  auto line = [&](const Row& r) {
    std::string text;
    for (size_t i = 0; i < r.size(); ++i)
      text += r[i] + std::string(i + 1 < r.size() ? width[i] - r[i].size() + 2 : 0, ' ');
    out << "  " << text << "\n";
  };
  line(header);
  for (const Row& r : rows) line(r);
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& i : items) text += (text.empty() ? "" : "; ") + i;
  return text;
}

}  // namespace

void WriteTextReport(const ReportModel& m, std::ostream& out) {
  out << "Takeover report: " << m.server << "\n";
  if (!m.checkText.empty()) out << "\n" << m.checkText;
  std::vector<Row> summary = {{"Discovered on", m.hostName},
                              {"Discovered at", LocalTime(m.discoveredAt) + " " + ZoneName(m.discoveredAt)},
                              {"Clients", std::to_string(m.clients.size())}};
  for (const auto& [type, n] : m.agentsByType) summary.push_back({"Agents: " + type, std::to_string(n)});
  summary.insert(summary.end(), {{"Tasks", std::to_string(m.tasks.size())},
                                 {"Subtasks", std::to_string(m.subtasks)},
                                 {"Libraries", std::to_string(m.libraries.size())},
                                 {"Drives online / offline",
                                  std::to_string(m.drivesOnline) + " / " + std::to_string(m.drivesOffline)},
                                 {"Media", std::to_string(m.media.size())},
                                 {"Storage policies", std::to_string(m.policies.size())},
                                 {"Jobs", std::to_string(m.jobs)},
                                 {"Errors sent to the host", m.errors.empty() ? "none" : Joined(m.errors)}});
  Table(out, "Summary", {"Item", "Value"}, summary);

  std::vector<Row> rows;
  for (const ClientRow& c : m.clients)
    rows.push_back(
        {c.name, c.host, c.os, c.agents, c.version, c.marks, Joined(SubclientWords(c.subclients)), c.db2});
  Table(out, "Clients", {"Name", "Host", "OS", "Agent", "Version", "Role", "Subclients", "DB2"}, rows);

  rows.clear();
  for (const TaskRow& t : m.tasks) {
    for (const SubTaskRow& s : t.subtasks) rows.push_back({t.name, s.name, s.words, s.start, s.end, s.zone});
    rows.push_back({"", "clients: " + Joined(t.clients), "", "", "", ""});
  }
  Table(out, "Schedules", {"Task", "Subtask", "Runs", "Start", "End", "Zone"}, rows);

  rows.clear();
  for (const LibraryRow& l : m.libraries) {
    if (l.drives.empty()) rows.push_back({l.name, "", "", "", ""});
    for (const DriveRow& d : l.drives)
      rows.push_back({l.name, d.name, d.type, d.serial, d.online ? "yes" : "no"});
  }
  Table(out, "Libraries and drives", {"Library", "Drive", "Type", "Serial", "Online"}, rows);
  rows.clear();
  for (const MediaRow& r : m.media) rows.push_back({r.library, r.name, r.capacity});
  Table(out, "Media", {"Library", "Medium", "Capacity (MB)"}, rows);
  rows.clear();
  for (const PolicyRow& p : m.policies) {
    for (const CopyRow& c : p.copies) rows.push_back({p.name, c.name, c.description, c.dataPaths});
  }
  Table(out, "Storage policies", {"Policy", "Copy", "Description", "Data paths"}, rows);

  rows.clear();
  for (const auto& [name, h] : m.history) {
    long long bytes = 0;
    for (const auto& d : h.days) bytes += d.second.bytes;
    rows.push_back({name, LocalTime(h.lastStart), h.lastOk ? "succeeded" : "failed", std::to_string(h.jobs),
                    Percent(h.succeeded, h.jobs), Bytes(bytes), std::to_string(h.failedCount)});
  }
  Table(out, "Backup history (times in " + ZoneName(m.discoveredAt) + ")",
        {"Client", "Last backup", "Status", "Jobs", "Success", "Bytes", "Failed"}, rows);
}

}  // namespace tsmreport
