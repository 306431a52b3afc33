// Nodes, storage and backup history: what TSM has against what was handed over.
#include "tools/tsm-discover/verify/TakeoverCheck.h"

#include <ctime>
#include <set>

#include "tools/tsm-discover/verify/CheckSupport.h"
#include "tools/tsm-schedule/Calendar.h"

namespace tsmverify {
namespace {

using tsmreport::ReportModel;

const char* const kKinds[] = {"node", "schedule", "library", "drive", "volume", "pool", "jobs"};

// Names in a set, and the same names in lower case for the near misses.
struct NameSet {
  std::set<std::string> exact, folded;
  void Add(const std::string& n) {
    exact.insert(n);
    folded.insert(Lower(n));
  }
  bool Has(const std::string& n) const { return exact.count(n) != 0; }
  bool HasFolded(const std::string& n) const { return folded.count(Lower(n)) != 0; }
};

CheckItem Item(const char* kind, const std::string& name, bool handed, const std::string& reason) {
  CheckItem item;
  item.kind = kind;
  item.name = name;
  item.handedOver = handed;
  item.handedCount = handed ? 1 : 0;
  if (!handed) item.reason = reason;
  return item;
}

void CheckNodes(const GatheredSet& tsm, const NameSet& clients, TakeoverCheck* check) {
  for (const std::string& node : tsm.nodes) {
    std::string reason = "not in the client list";
    if (clients.HasFolded(node)) reason = "in the client list only in another letter case";
    const std::string refused = RefusedNameReason(node);
    if (!refused.empty()) reason += " (" + refused + ")";
    AddItem(Item("node", node, clients.Has(node), reason), check);
  }
}

void CheckLibraries(const GatheredSet& tsm, const ReportModel& r, TakeoverCheck* check) {
  std::map<std::string, std::set<std::string>> drivesByLibrary;
  for (const tsmreport::LibraryRow& l : r.libraries) {
    auto& drives = drivesByLibrary[l.name];
    for (const tsmreport::DriveRow& d : l.drives) drives.insert(d.name);
  }
  for (const std::string& library : tsm.libraries)
    AddItem(Item("library", library, drivesByLibrary.count(library) != 0, "not in the library list"), check);
  for (const auto& [library, drive] : tsm.drives) {
    auto it = drivesByLibrary.find(library);
    std::string reason =
        it == drivesByLibrary.end() ? "its library is not handed over" : "not among the library's drives";
    const std::string refused = RefusedNameReason(library);
    if (!refused.empty()) reason = "the drive query refuses the library name (" + refused + ")";
    AddItem(Item("drive", library + "/" + drive, it != drivesByLibrary.end() && it->second.count(drive) != 0,
                 reason),
            check);
  }
}

void CheckVolumes(const GatheredSet& tsm, const ReportModel& r, TakeoverCheck* check) {
  std::set<std::pair<std::string, std::string>> media;  // (library, name)
  std::set<std::string> names;
  for (const tsmreport::MediaRow& m : r.media) {
    media.insert({m.library, m.name});
    names.insert(m.name);
  }
  for (const GatheredVolume& v : tsm.volumes) {
    const bool handed = media.count({v.library, v.name}) != 0;
    AddItem(Item("volume", v.library + "/" + v.name, handed,
                 names.count(v.name) != 0 ? "handed over in another library only" : "not in the media list"),
            check);
  }
  // FILE and DISK volumes become stand-alone libraries of their own name.
  std::set<std::string> libraries;
  for (const tsmreport::LibraryRow& l : r.libraries) libraries.insert(l.name);
  for (const GatheredVolume& v : tsm.diskVolumes) {
    AddItem(Item("volume", v.name, libraries.count(v.name) != 0 || names.count(v.name) != 0,
                 "neither a library nor a medium of that name"),
            check);
  }
}

void CheckPools(const GatheredSet& tsm, const ReportModel& r, TakeoverCheck* check) {
  // A storage policy is named after its pool.
  NameSet pools;
  for (const tsmreport::PolicyRow& p : r.policies) pools.Add(p.name);
  std::set<std::string> seen;
  auto check1 = [&](const std::string& pool) {
    if (!seen.insert(pool).second) return;
    AddItem(
        Item("pool", pool, pools.Has(pool),
             pools.HasFolded(pool) ? "merged into the policy of a pool whose name differs only in letter case"
                                   : "no storage policy names it"),
        check);
  };
  for (const auto& lp : tsm.poolsByLibrary) check1(lp.second);
  for (const GatheredVolume& v : tsm.diskVolumes) check1(v.pool);
}

void CheckJobs(const GatheredSet& tsm, const ReportModel& r, const NameSet& clients, TakeoverCheck* check) {
  for (const auto& [node, rows] : tsm.jobs) {
    if (!rows.fileFound) continue;
    auto h = r.history.find(node);
    const long jobs = h == r.history.end() ? 0 : h->second.jobs;
    CheckItem item = Item("jobs", node, false, "");
    item.count = rows.rows + rows.shortRows;
    item.handedCount = std::min<long>(jobs, item.count);
    item.handedOver = item.handedCount == item.count;
    std::string reason;
    if (!clients.Has(node)) reason = "the node is not handed over";
    const std::string refused = RefusedNameReason(node);
    if (!refused.empty() && !node.empty()) reason = "the job query refuses the node name (" + refused + ")";
    if (rows.shortRows > 0) reason = std::to_string(rows.shortRows) + " rows with fewer than 5 fields";
    if (reason.empty()) reason = std::to_string(rows.rows - jobs) + " rows without a job";
    if (!item.handedOver) item.reason = reason;
    AddItem(std::move(item), check);
  }
}

}  // namespace

bool TakeoverCheck::AllAccounted() const {
  for (const auto& kc : counts) {
    if (kc.second.handedOver != kc.second.inTsm) return false;
  }
  return true;
}

long long LocalWallClock(long long unixTime) {
  time_t t = static_cast<time_t>(unixTime);
  tm parts;
  if (localtime_r(&t, &parts) == nullptr) return unixTime;
  return tsmcal::DaysFromCivil(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday) *
             tsmcal::kSecondsPerDay +
         parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec;
}

void CheckTakeover(const GatheredSet& tsm, const ReportModel& replies, long long from, long long to,
                   TakeoverCheck* check) {
  check->replaySet = tsm.dir;
  check->from = from;
  check->to = to;
  for (const char* kind : kKinds) check->counts.emplace_back(kind, KindCount());
  NameSet clients;
  for (const tsmreport::ClientRow& c : replies.clients) clients.Add(c.name);
  CheckNodes(tsm, clients, check);
  CheckSchedules(tsm, replies, from, to, check);
  CheckLibraries(tsm, replies, check);
  CheckVolumes(tsm, replies, check);
  CheckPools(tsm, replies, check);
  CheckJobs(tsm, replies, clients, check);
  for (const SkippedLine& s : tsm.skipped) {
    AddItem(Item("line", s.file, false, "skipped: " + s.reason), check);
  }
}

}  // namespace tsmverify
