// The reading rules of the gathered files, in one place: each file's
// layout for the shared reader of dsmadmc output (header lines, banner,
// message lines, the end of form A data: handler/DsmOutputReader.h), how
// its lines split and how many fields make a record. They are the
// plug-in's parsers' rules, so the check sees the records the discovery
// saw.
#include <dirent.h>

#include <functional>
#include <set>

#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"
#include "schedules/DetailedScheduleLayout.h"
#include "tools/tsm-discover/verify/GatheredSet.h"

namespace tsmverify {
namespace {

struct FileRule {
  DsmOutputLayout layout;
  DsmSplitFunction split;
  size_t minFields;
};

const FileRule kNodeRule{dsmlayout::kNodeQuery, tsmsplit::SplitQueryLine, 33};
const FileRule kQueryRule{dsmlayout::kFormA, tsmsplit::SplitQueryLine, 3};
const FileRule kLibraryRule{dsmlayout::kSelect, tsmsplit::SplitStorageSelectLine, 17};
const FileRule kDriveRule{dsmlayout::kDataOnly, tsmsplit::SplitStorageSelectLine, 14};
const FileRule kVolumeRule{dsmlayout::kSelect, tsmsplit::SplitStorageSelectLine, 5};
const FileRule kDiskVolumeRule{dsmlayout::kSelect, tsmsplit::SplitStorageSelectLine, 24};
const FileRule kPoolRule{dsmlayout::kSelect, tsmsplit::SplitStorageSelectLine, 2};
const FileRule kJobRule{dsmlayout::kDataOnly, tsmsplit::SplitSelectLine, 5};

using RecordFn = std::function<void(const std::vector<std::string>&)>;

// False when the file cannot be opened. A data line with too few fields
// is counted in *shortLines when given, otherwise kept as skipped.
bool ReadFile(const std::string& dir, const std::string& name, const FileRule& rule, GatheredSet* set,
              const RecordFn& onRecord, long* shortLines = nullptr) {
  const DsmReadEnd end =
      ReadDsmOutputFile(dir + "/" + name, rule.layout, rule.split, [&](const DsmRecord& r) {
        if (r.fields.size() >= rule.minFields) {
          onRecord(r.fields);
        } else if (shortLines != nullptr) {
          ++*shortLines;
        } else {
          set->skipped.push_back(
              {name, "line " + std::to_string(r.lineNumber) + ": " + std::to_string(r.fields.size()) +
                         " fields where a record has at least " + std::to_string(rule.minFields) + ": \"" +
                         r.raw.substr(0, 80) + "\""});
        }
        return true;
      });
  if (end == DsmReadEnd::kReadError) set->skipped.push_back({name, "a read error cut the file short"});
  return end != DsmReadEnd::kNotOpened;
}

// A schedule line's columns by the detailed listing's layout of its field
// count (the schedule parsers' table).
GatheredSchedule ScheduleOf(const std::vector<std::string>& f) {
  GatheredSchedule s;
  tsmsched::ScheduleText& t = s.text;
  t.domain = f[0];
  t.name = f[1];
  t.description = f[2];
  t.action = f.size() > 3 ? f[3] : "";
  const DetailedScheduleColumns* c = DetailedScheduleLayoutFor(f.size());
  if (c == nullptr) {
    s.layoutProblem = "the schedule line has " + std::to_string(f.size()) + " fields, which no layout has";
    return s;
  }
  t.start = f[c->startTime];
  t.style = f[c->style];
  t.period = f[c->period];
  t.dayOfWeek = f[c->dayOfWeek];
  t.months = f[c->months];
  t.daysOfMonth = f[c->daysOfMonth];
  t.weeksOfMonth = f[c->weeksOfMonth];
  t.expiration = f[c->endTime];
  return s;
}

bool ListPrefixed(const std::string& dir, const std::string& prefix, std::set<std::string>* names) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  while (const dirent* e = ::readdir(d)) {
    const std::string n = e->d_name;
    if (n.compare(0, prefix.size(), prefix) == 0 && n.size() > prefix.size() + 4 &&
        n.compare(n.size() - 4, 4, ".txt") == 0)
      names->insert(n.substr(prefix.size(), n.size() - prefix.size() - 4));
  }
  ::closedir(d);
  return true;
}

void ReadStorage(const std::string& dir, GatheredSet* set) {
  ReadFile(dir, "ixr_libraries.txt", kLibraryRule, set,
           [&](const std::vector<std::string>& f) { set->libraries.push_back(f[0]); });
  std::set<std::string> driveFiles;
  ListPrefixed(dir, "ixr_drives_", &driveFiles);
  for (const std::string& library : driveFiles) {
    ReadFile(dir, "ixr_drives_" + library + ".txt", kDriveRule, set,
             [&](const std::vector<std::string>& f) { set->drives.emplace_back(f[0], f[1]); });
  }
  ReadFile(dir, "ixr_media.txt", kVolumeRule, set, [&](const std::vector<std::string>& f) {
    set->volumes.push_back({f[0], f[3], f[4]});
  });
  ReadFile(dir, "ixr_standalonelibs.txt", kDiskVolumeRule, set, [&](const std::vector<std::string>& f) {
    set->diskVolumes.push_back({f[0], "", f[1]});
  });
  ReadFile(dir, "ixr_storagepolicy.txt", kPoolRule, set,
           [&](const std::vector<std::string>& f) { set->poolsByLibrary.emplace_back(f[0], f[1]); });
}

void ReadJobs(const std::string& dir, GatheredSet* set) {
  for (const std::string& node : set->nodes) {
    JobRows& rows = set->jobs[node];
    rows.fileFound = ReadFile(
        dir, "ixr_jobs_" + node + ".txt", kJobRule, set,
        [&](const std::vector<std::string>&) { ++rows.rows; }, &rows.shortRows);
  }
}

}  // namespace

bool ReadGatheredSet(const std::string& dir, GatheredSet* set, std::string* error) {
  set->dir = dir;
  const bool nodes = ReadFile(dir, "ixr_node.txt", kNodeRule, set,
                              [&](const std::vector<std::string>& f) { set->nodes.push_back(f[0]); });
  std::map<std::pair<std::string, std::string>, std::vector<std::string>> associations;
  ReadFile(dir, "ixr_assoc.txt", kQueryRule, set, [&](const std::vector<std::string>& f) {
    if (f.size() == 3) associations[{f[0], f[1]}] = tsmsplit::SplitAssociationNodes(f[2]);
  });
  const bool schedules =
      ReadFile(dir, "ixr_sched.txt", kQueryRule, set, [&](const std::vector<std::string>& f) {
        GatheredSchedule s = ScheduleOf(f);
        auto it = associations.find({f[0], f[1]});
        if (it != associations.end()) s.nodes = it->second;
        set->schedules.push_back(std::move(s));
      });
  if (!nodes || !schedules) {
    *error = "no gathered set in " + dir + " (ixr_node.txt and ixr_sched.txt expected)";
    return false;
  }
  ReadStorage(dir, set);
  ReadJobs(dir, set);
  return true;
}

}  // namespace tsmverify
