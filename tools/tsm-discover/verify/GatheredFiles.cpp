// The reading rules of the gathered files, in one place: which lines are
// header, which are dsmadmc's messages, how a line splits and how many
// fields make a record. They are the plug-in's parsers' rules (handler/
// LineReader.h, handler/Splitting.h), so the check sees the records the
// discovery saw.
#include <dirent.h>

#include <cctype>
#include <functional>
#include <set>

#include "handler/LineReader.h"
#include "handler/Splitting.h"
#include "host/ZYFile.h"
#include "tools/tsm-discover/verify/GatheredSet.h"

namespace tsmverify {
namespace {

// Lines dsmadmc writes before the data of a query with a header: banner,
// session, server level and the echoed command.
constexpr int kHeaderLines = 4;

enum class Split { kQuery, kSelect, kStorageSelect };

struct FileRule {
  int headerLines;
  bool headerlessWhenMultiField;  // the node query runs with -dataonly=yes
  bool emptyLineEnds;             // query output ends at its first empty line
  Split split;
  size_t minFields;
};

const FileRule kNodeRule{kHeaderLines, true, true, Split::kQuery, 33};
const FileRule kQueryRule{kHeaderLines, false, true, Split::kQuery, 3};
const FileRule kLibraryRule{kHeaderLines, false, false, Split::kStorageSelect, 17};
const FileRule kDriveRule{0, false, false, Split::kStorageSelect, 14};
const FileRule kVolumeRule{kHeaderLines, false, false, Split::kStorageSelect, 5};
const FileRule kDiskVolumeRule{kHeaderLines, false, false, Split::kStorageSelect, 24};
const FileRule kPoolRule{kHeaderLines, false, false, Split::kStorageSelect, 2};
const FileRule kJobRule{0, false, false, Split::kSelect, 5};

// "ANR2034E ...", "ANS8002I ...": a server or client message.
bool IsMessageLine(const std::string& line) {
  if (line.size() < 9 || line[0] != 'A' || line[1] != 'N' || (line[2] != 'R' && line[2] != 'S')) return false;
  for (int i = 3; i < 7; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
  }
  return std::isupper(static_cast<unsigned char>(line[7])) && line[8] == ' ';
}

void SplitBy(Split split, const std::string& line, std::vector<std::string>& fields) {
  if (split == Split::kQuery) return tsmsplit::SplitQueryLine(line, fields);
  if (split == Split::kSelect) return tsmsplit::SplitSelectLine(line, fields);
  tsmsplit::SplitStorageSelectLine(line, fields);
}

using RecordFn = std::function<void(const std::vector<std::string>&)>;

// False when the file cannot be opened. A short line that is neither
// empty nor a message is recorded as skipped.
bool ReadFile(const std::string& dir, const std::string& name, const FileRule& rule, GatheredSet* set,
              const RecordFn& onRecord, long* shortLines = nullptr) {
  ZYFile file;
  if (file.open(dir + "/" + name, 0, 0, 0) != 0) return false;
  int skip = rule.headerLines;
  bool first = true;
  std::string line;
  std::vector<std::string> fields;
  while (ReadNextRawLine(file, line)) {
    SplitBy(rule.split, line, fields);
    if (first && rule.headerlessWhenMultiField && fields.size() > 1) skip = 0;
    first = false;
    if (skip > 0) {
      --skip;
      continue;
    }
    const bool empty = line.find_first_not_of(" \t\r") == std::string::npos;
    if (empty && rule.emptyLineEnds) break;
    if (empty || IsMessageLine(line)) continue;
    if (fields.size() >= rule.minFields) {
      onRecord(fields);
    } else if (shortLines != nullptr) {
      ++*shortLines;
    } else {
      set->skipped.push_back({name, std::to_string(fields.size()) + " fields where a record has at least " +
                                        std::to_string(rule.minFields) + ": \"" + line.substr(0, 80) + "\""});
    }
  }
  return true;
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
        [&](const std::vector<std::string>&) { ++rows.rows; }, &rows.short_rows);
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
        GatheredSchedule s{f, {}};
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
