#include "tools/tsm-discover/report/JsonReport.h"

#include <ctime>
#include <string>
#include <vector>

#include "tools/tsm-discover/report/JsonWriter.h"
#include "tools/tsm-discover/report/ReportFormat.h"

namespace tsmreport {
namespace {

// "2026-11-15T18:00:00Z"
std::string UtcTime(long long unixTime) {
  time_t t = static_cast<time_t>(unixTime);
  tm parts;
  char text[32];
  if (gmtime_r(&t, &parts) == nullptr || std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &parts) == 0)
    return "";
  return text;
}

// The model joins agent, role and instance names with ", " (names that
// hold no comma: the builders' agent and role names, DB2 instance names).
std::vector<std::string> Names(const std::string& joined) {
  std::vector<std::string> names;
  for (size_t start = 0; start < joined.size();) {
    size_t end = joined.find(", ", start);
    if (end == std::string::npos) end = joined.size();
    names.push_back(joined.substr(start, end - start));
    start = end + 2;
  }
  return names;
}

void Numbers(JsonWriter& w, const char* key, const NamedNumbers& numbers) {
  w.Key(key);
  w.BeginObject();
  for (const auto& [name, value] : numbers) w.Field(name, value);
  w.EndObject();
}

void Summary(const ReportModel& m, JsonWriter& w) {
  w.Key("summary");
  w.BeginObject();
  w.Field("clients", m.clients.size());
  w.Key("agents");
  w.BeginObject();
  for (const auto& [type, n] : m.agentsByType) w.Field(type.c_str(), n);
  w.EndObject();
  w.Field("tasks", m.tasks.size());
  w.Field("subtasks", m.subtasks);
  w.Field("libraries", m.libraries.size());
  w.Field("drivesOnline", m.drivesOnline);
  w.Field("drivesOffline", m.drivesOffline);
  w.Field("media", m.media.size());
  w.Field("storagePolicies", m.policies.size());
  w.Field("jobs", m.jobs);
  w.Field("unreadableReplyFiles", m.unreadable);
  w.EndObject();
}

void Clients(const ReportModel& m, JsonWriter& w) {
  w.Key("clients");
  w.BeginArray();
  for (const ClientRow& c : m.clients) {
    w.BeginObject();
    w.Field("name", c.name);
    w.Field("host", c.host);
    w.Field("operatingSystem", c.os);
    w.StringArray("agents", Names(c.agents));
    w.Field("version", c.version);
    w.StringArray("serverRoles", Names(c.marks));
    w.Key("subclients");
    w.BeginArray();
    for (const SubclientRow& sc : c.subclients) {
      w.BeginObject();
      w.Field("name", sc.name);
      w.StringArray("content", sc.content);
      w.EndObject();
    }
    w.EndArray();
    w.StringArray("db2Instances", Names(c.db2));
    w.EndObject();
  }
  w.EndArray();
}

void SubTask(const SubTaskRow& s, JsonWriter& w) {
  w.BeginObject();
  w.Field("name", s.name);
  w.Field("words", s.words);
  w.Field("start", s.start);
  w.Key("end");
  if (s.end == "none") {
    w.Null();
  } else {
    w.String(s.end);
  }
  w.Field("timeZone", s.zone);
  Numbers(w, "pattern", PatternNumbers(s.pattern));
  Numbers(w, "days", PatternDayNumbers(s.pattern));
  w.EndObject();
}

void Tasks(const ReportModel& m, JsonWriter& w) {
  w.Key("tasks");
  w.BeginArray();
  for (const TaskRow& t : m.tasks) {
    w.BeginObject();
    w.Field("name", t.name);
    w.Field("description", t.description);
    w.StringArray("clients", t.clients);
    w.Key("subtasks");
    w.BeginArray();
    for (const SubTaskRow& s : t.subtasks) SubTask(s, w);
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
}

void Storage(const ReportModel& m, JsonWriter& w) {
  w.Key("libraries");
  w.BeginArray();
  for (const LibraryRow& l : m.libraries) {
    w.BeginObject();
    w.Field("name", l.name);
    w.Key("drives");
    w.BeginArray();
    for (const DriveRow& d : l.drives) {
      w.BeginObject();
      w.Field("name", d.name);
      w.Field("type", d.type);
      w.Field("serial", d.serial);
      w.Field("online", d.online);
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.Key("media");
  w.BeginArray();
  for (const MediaRow& r : m.media) {
    w.BeginObject();
    w.Field("library", r.library);
    w.Field("name", r.name);
    w.Field("capacityMB", r.capacity);
    w.EndObject();
  }
  w.EndArray();
  w.Key("storagePolicies");
  w.BeginArray();
  for (const PolicyRow& p : m.policies) {
    w.BeginObject();
    w.Field("name", p.name);
    w.Key("copies");
    w.BeginArray();
    for (const CopyRow& c : p.copies) {
      w.BeginObject();
      w.Field("name", c.name);
      w.Field("description", c.description);
      w.Field("dataPaths", c.dataPaths);
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
}

void History(const ClientHistory& h, JsonWriter& w) {
  long long bytes = 0;
  for (const auto& d : h.days) bytes += d.second.bytes;
  w.Field("jobs", h.jobs);
  w.Field("succeeded", h.succeeded);
  w.Field("failed", h.failedCount);
  w.Field("bytes", bytes);
  w.Key("lastStart");
  if (h.lastStart < 0) {
    w.Null();
  } else {
    w.String(UtcTime(h.lastStart));
  }
  w.Field("lastSucceeded", h.lastOk);
  w.Key("days");
  w.BeginArray();
  for (const auto& [day, totals] : h.days) {
    w.BeginObject();
    w.Field("day", DayText(day));
    w.Field("jobs", totals.jobs);
    w.Field("failed", totals.failed);
    w.Field("bytes", totals.bytes);
    w.EndObject();
  }
  w.EndArray();
  w.Key("latestFailures");
  w.BeginArray();
  for (const FailedJob& f : h.failed) {
    w.BeginObject();
    w.Field("start", UtcTime(f.start));
    w.Field("subclient", f.subclient);
    w.Field("description", f.description);
    w.EndObject();
  }
  w.EndArray();
}

void Histories(const ReportModel& m, JsonWriter& w) {
  w.Key("jobHistory");
  w.BeginArray();
  for (const auto& [name, h] : m.history) {
    w.BeginObject();
    w.Field("client", name);
    History(h, w);
    w.EndObject();
  }
  w.EndArray();
}

}  // namespace

void WriteJsonReport(const ReportModel& m, std::ostream& out) {
  JsonWriter w(out);
  w.BeginObject();
  w.Field("formatVersion", kInventoryFormatVersion);
  w.Field("server", m.server);
  w.Field("discoveredOn", m.hostName);
  w.Field("discoveredAt", UtcTime(m.discoveredAt));
  w.Field("timeZone", ZoneName(m.discoveredAt));
  w.StringArray("errors", m.errors);
  Summary(m, w);
  Clients(m, w);
  Tasks(m, w);
  Storage(m, w);
  Histories(m, w);
  w.EndObject();
}

}  // namespace tsmreport
