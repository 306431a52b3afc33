// Schedules: a task with one association per node, and the same starts.
#include <algorithm>
#include <iterator>
#include <set>

#include "tools/tsm-discover/verify/CheckSupport.h"
#include "tools/tsm-discover/verify/HostRuns.h"
#include "tools/tsm-schedule/Calendar.h"
#include "tools/tsm-schedule/TsmSchedule.h"

namespace tsmverify {
namespace {

using tsmreport::TaskRow;

// The actions the discovery hands over as tasks.
bool IsBackupAction(const std::string& action) {
  for (const char* a : {"incremental", "selective", "imagebackup", "inc"}) {
    if (Lower(action) == a) return true;
  }
  return false;
}

// Task names are domain_schedule_server: the task of a schedule is the
// shortest name that begins with its domain_schedule_.
class TaskIndex {
 public:
  explicit TaskIndex(const std::vector<TaskRow>& tasks) {
    for (const TaskRow& t : tasks) byName_.emplace(t.name, &t);
  }
  const TaskRow* Find(const std::string& domain, const std::string& schedule) const {
    const std::string prefix = domain + "_" + schedule + "_";
    const TaskRow* best = nullptr;
    for (auto it = byName_.lower_bound(prefix);
         it != byName_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
      if (best == nullptr || it->first.size() < best->name.size()) best = it->second;
    }
    return best;
  }

 private:
  std::multimap<std::string, const TaskRow*> byName_;
};

std::string HostWords(const TaskRow& task) {
  if (task.subtasks.empty()) return "no run pattern";
  std::string words;
  const size_t shown = std::min<size_t>(task.subtasks.size(), 3);
  for (size_t i = 0; i < shown; ++i) words += (i == 0 ? "" : "; ") + task.subtasks[i].words;
  if (task.subtasks.size() > shown)
    words += "; and " + std::to_string(task.subtasks.size() - shown) + " more";
  return words;
}

// Nodes of the schedule without an association in the task.
std::string MissingAssociations(const std::vector<std::string>& nodes, const TaskRow& task,
                                const std::set<std::string>& clients) {
  const std::set<std::string> associated(task.clients.begin(), task.clients.end());
  std::string missing;
  long n = 0;
  for (const std::string& node : nodes) {
    if (associated.count(node) != 0) continue;
    ++n;
    missing += (missing.empty() ? "" : ", ") + node + (clients.count(node) ? "" : " (not handed over)");
  }
  if (n == 0) return "";
  return "no association for " + std::to_string(n) + " of " + std::to_string(nodes.size()) +
         " nodes: " + missing;
}

std::string FirstOnlyIn(const std::vector<long long>& a, const std::vector<long long>& b) {
  std::vector<long long> only;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(only));
  return only.empty() ? "" : tsmcal::FormatMoment(only.front());
}

void CompareRuns(const tsmsched::Schedule& s, const TaskRow& task, long long from, long long to,
                 CheckItem* item) {
  item->tsmWords = tsmsched::Describe(s);
  item->hostWords = HostWords(task);
  std::vector<long long> tsm, host;
  std::string problem;
  if (!tsmsched::StartTimes(s, from, to, &tsm, &problem) ||
      !HostStartTimes(task.subtasks, from, to, &host, &problem)) {
    item->runs = Runs::kCannotCheck;
    item->runsNote = problem;
    return;
  }
  item->tsmStarts = static_cast<long>(tsm.size());
  item->hostStarts = static_cast<long>(host.size());
  if (tsm == host) {
    item->runs = Runs::kSame;
    return;
  }
  item->runs = Runs::kDiffers;
  item->firstTsmOnly = FirstOnlyIn(tsm, host);
  item->firstHostOnly = FirstOnlyIn(host, tsm);
  item->runsNote = "TSM: " + item->tsmWords + "; host: " + item->hostWords;
}

CheckItem CheckOne(const GatheredSchedule& g, const TaskIndex& tasks, const std::set<std::string>& clients,
                   long long from, long long to) {
  CheckItem item;
  item.kind = "schedule";
  item.name = g.text.domain + "/" + g.text.name;
  item.count = g.nodes.empty() ? 0 : 1;  // only schedules that run for a node must arrive
  const std::string& action = g.text.action;
  tsmsched::Schedule s;
  std::string problem;
  if (!IsBackupAction(action)) {
    item.reason = "action " + action + ": only backup schedules become tasks";
  } else if (!g.layoutProblem.empty()) {
    item.reason = g.layoutProblem;
  } else if (!tsmsched::ReadSchedule(g.text, &s, &problem)) {
    item.reason = problem;
  } else if (const TaskRow* task = tasks.Find(g.text.domain, g.text.name)) {
    item.reason = MissingAssociations(g.nodes, *task, clients);
    item.handedOver = item.reason.empty();
    CompareRuns(s, *task, from, to, &item);
  } else {
    item.reason = "no task in the replies";
  }
  if (g.nodes.empty() && !item.handedOver) item.reason += " (the schedule has no node)";
  item.handedCount = item.handedOver ? item.count : 0;
  return item;
}

}  // namespace

void CheckSchedules(const GatheredSet& tsm, const tsmreport::ReportModel& replies, long long from,
                    long long to, TakeoverCheck* check) {
  const TaskIndex tasks(replies.tasks);
  std::set<std::string> clients;
  for (const tsmreport::ClientRow& c : replies.clients) clients.insert(c.name);
  for (const GatheredSchedule& g : tsm.schedules) AddItem(CheckOne(g, tasks, clients, from, to), check);
}

}  // namespace tsmverify
