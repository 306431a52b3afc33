// A report model as comparable items.
#include <algorithm>
#include <map>

#include "tools/tsm-discover/diff/Changes.h"
#include "tools/tsm-discover/report/ReportFormat.h"

namespace tsmdiff {
namespace {

using namespace tsmreport;

std::string Joined(const std::vector<std::string>& items, const char* separator = ", ") {
  std::string text;
  for (const std::string& i : items) text += (text.empty() ? "" : separator) + i;
  return text;
}

std::string Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return Joined(items);
}

std::string Key(const std::string& a, const std::string& b) { return a + " / " + b; }

class ItemList {
 public:
  void Add(const char* kind, const std::string& key, Fields fields) {
    const int n = ++seen_[{kind, key}];
    items_.push_back({kind, n == 1 ? key : key + " #" + std::to_string(n), std::move(fields)});
  }
  std::vector<Item> Take() { return std::move(items_); }

 private:
  std::vector<Item> items_;
  std::map<std::pair<std::string, std::string>, int> seen_;
};

void AddClients(const ReportModel& m, ItemList* items) {
  for (const ClientRow& c : m.clients) {
    items->Add("client", c.name,
               {{"host", c.host},
                {"operating system", c.os},
                {"agents", c.agents},
                {"version", c.version},
                {"server role", c.marks},
                {"DB2 instances", c.db2}});
  }
  for (const ClientRow& c : m.clients) {
    for (const SubclientRow& sc : c.subclients)
      items->Add("subclient", Key(c.name, sc.name), {{"content", Joined(sc.content)}});
  }
}

void AddTasks(const ReportModel& m, ItemList* items) {
  for (const TaskRow& t : m.tasks)
    items->Add("task", t.name, {{"description", t.description}, {"clients", Sorted(t.clients)}});
  for (const TaskRow& t : m.tasks) {
    for (const SubTaskRow& s : t.subtasks) {
      Fields fields = {{"runs", s.words}, {"start", s.start}, {"end", s.end}, {"time zone", s.zone}};
      for (const auto& [name, value] : PatternNumbers(s.pattern))
        fields.emplace_back(name, std::to_string(value));
      for (const auto& [name, value] : PatternDayNumbers(s.pattern))
        fields.emplace_back(std::string("days.") + name, std::to_string(value));
      items->Add("subtask", Key(t.name, s.name), std::move(fields));
    }
  }
}

void AddStorage(const ReportModel& m, ItemList* items) {
  for (const LibraryRow& l : m.libraries) items->Add("library", l.name, {});
  for (const LibraryRow& l : m.libraries) {
    for (const DriveRow& d : l.drives)
      items->Add("drive", Key(l.name, d.name),
                 {{"type", d.type}, {"serial", d.serial}, {"online", d.online ? "yes" : "no"}});
  }
  for (const MediaRow& r : m.media)
    items->Add("medium", Key(r.library, r.name), {{"capacity (MB)", r.capacity}});
  for (const PolicyRow& p : m.policies) {
    Fields fields;
    for (const CopyRow& c : p.copies)
      fields.emplace_back("copy " + c.name, c.description + "; data paths: " + c.dataPaths);
    items->Add("storage policy", p.name, std::move(fields));
  }
}

void AddHistory(const ReportModel& m, ItemList* items) {
  for (const auto& [name, h] : m.history) {
    items->Add("job history", name, {{"jobs", std::to_string(h.jobs)}});
  }
}

}  // namespace

std::vector<Item> ItemsOf(const ReportModel& m) {
  ItemList items;
  AddClients(m, &items);
  AddTasks(m, &items);
  AddStorage(m, &items);
  AddHistory(m, &items);
  return items.Take();
}

}  // namespace tsmdiff
