#include "tools/dsmadmc-sim/SiteGenerator.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>

#include "tools/dsmadmc-sim/Csv.h"
#include "tools/dsmadmc-sim/SiteSchema.h"

namespace dsmsim {
namespace {

// splitmix64: fixed output for a seed everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

// One table being written: rows addressed by column name.
class TableWriter {
 public:
  explicit TableWriter(const std::vector<std::string>& columns) : columns_(columns) {
    rows_.push_back(columns);
  }
  void Add(const std::map<std::string, std::string>& values) {
    Row row;
    for (const std::string& c : columns_) {
      auto it = values.find(c);
      row.push_back(it == values.end() ? "" : it->second);
    }
    rows_.push_back(row);
  }
  bool Write(const std::string& path) const { return WriteCsvFile(path, rows_); }

 private:
  std::vector<std::string> columns_;
  std::vector<Row> rows_;
};

std::string Pad(int n, int width) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%0*d", width, n);
  return buf;
}

// A timestamp `minutes` after 2026-01-01 00:00:00 (28-day months keep it
// simple and valid). Years follow on, so later minutes give later times,
// as a server's long backup history has them.
std::string Stamp(long minutes) {
  long days = minutes / 1440;
  int hour = static_cast<int>((minutes % 1440) / 60);
  int minute = static_cast<int>(minutes % 60);
  int year = 2026 + static_cast<int>(days / (28 * 12));
  int month = static_cast<int>(days / 28) % 12 + 1;
  int day = static_cast<int>(days % 28) + 1;
  char buf[40];
  std::snprintf(buf, sizeof(buf), "%04d-%02d-%02d %02d:%02d:00", year, month, day, hour, minute);
  return buf;
}

struct Sizes {
  int nodes = 10, schedules = 5, libraries = 2, volumes = 20, jobs = 10;
  int pools = 4;         // half FILE/DISK pools, half tape pools
  int diskPercent = 10;  // share of FILE/DISK volumes
  uint64_t seed = 1;
  std::string dir;
};

bool ParseArgs(const std::vector<std::string>& args, Sizes* sizes) {
  std::map<std::string, int*> counts = {
      {"--nodes", &sizes->nodes},         {"--schedules", &sizes->schedules},
      {"--libraries", &sizes->libraries}, {"--volumes", &sizes->volumes},
      {"--pools", &sizes->pools},         {"--disk-percent", &sizes->diskPercent},
      {"--jobs-per-node", &sizes->jobs}};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if ((counts.count(a) != 0 || a == "--seed") && i + 1 < args.size()) {
      char* end = nullptr;
      long long v = std::strtoll(args[++i].c_str(), &end, 10);
      if (*end != '\0' || v < 0 || v > 10000000) return false;
      if (a == "--seed") {
        sizes->seed = static_cast<uint64_t>(v);
      } else {
        *counts[a] = static_cast<int>(v);
      }
    } else if (a.rfind("--", 0) != 0 && sizes->dir.empty()) {
      sizes->dir = a;
    } else {
      return false;
    }
  }
  return !sizes->dir.empty() && sizes->diskPercent <= 100;
}

const char* const kPlatforms[] = {"Linux86", "WinNT", "AIX", "SUN SOLARIS", "Mac"};
const char* const kLevels[] = {"4.18.0", "6.01", "7.2", "5.11", "13.4"};
const char* const kDays[] = {"Any", "Weekday", "Weekend", "Sunday", "Monday", "Friday"};
const char* const kUnits[] = {"HOURS", "DAYS", "WEEKS", "MONTHS", "YEARS", "ONETIME"};

// Writes the tables of one synthetic site; every Write* returns false when
// a file could not be written.
class SiteWriter {
 public:
  explicit SiteWriter(const Sizes& sizes) : sizes_(sizes), rnd_(sizes.seed) {}

  bool WriteAll() {
    bool ok = WriteServer();
    ok = WriteNodes() && ok;
    ok = WriteSchedules() && ok;
    ok = WriteLibraries() && ok;
    ok = WriteVolumes() && ok;
    return WriteSummary() && ok;
  }

 private:
  bool WriteServer() {
    const std::string& d = sizes_.dir;
    bool ok = true;
    TableWriter status(StatusColumns());
    status.Add({{"SERVER_NAME", "GENSRV"},
                {"VERSION", "8"},
                {"RELEASE", "1"},
                {"LEVEL", "12"},
                {"SUBLEVEL", "0"},
                {"PLATFORM", "Linux/x86_64"},
                {"SERVER_HLA", "genserver.example"},
                {"SERVER_LLA", "1500"}});
    ok = status.Write(d + "/status.csv") && ok;
    ok = WriteCsvFile(d + "/admins.csv", {{"ADMIN_NAME", "PASSWORD"}, {"ADMIN", "ADMIN"}}) && ok;
    ok = WriteCsvFile(d + "/settings.csv", {{"NAME", "VALUE"}, {"SERVER_DATETIME", "2026-12-01 09:00:00"}}) &&
         ok;

    return ok;
  }

  bool WriteNodes() {
    const std::string& d = sizes_.dir;
    bool ok = true;
    TableWriter nodes(NodeColumns());
    for (int n = 0; n < sizes_.nodes; ++n) {
      int p = rnd_.Below(5);
      std::string name = "NODE" + Pad(n + 1, 5);
      nodeNames_.push_back(name);
      nodes.Add({{"NODE_NAME", name},
                 {"PLATFORM_NAME", kPlatforms[p]},
                 {"CLIENT_OS_LEVEL", kLevels[p]},
                 {"CLIENT_VERSION", "Version 8, Release 1, Level " + std::to_string(rnd_.Below(20)) + ".0"},
                 {"DOMAIN_NAME", "STANDARD"},
                 {"LASTACC_TIME", Stamp(rnd_.Below(400000))},
                 {"LOCKED", "No"},
                 {"COMPRESSION", rnd_.Below(2) != 0 ? "Client" : "No"},
                 {"REG_TIME", Stamp(rnd_.Below(1000))},
                 {"REG_ADMIN", "ADMIN"},
                 {"NODETYPE", "Client"},
                 {"KEEP_MP", rnd_.Below(2) != 0 ? "Yes" : "No"},
                 {"MAX_MP_ALLOWED", "1"},
                 {"TCP_NAME", "host" + Pad(n + 1, 5) + ".example"},
                 {"TCP_ADDRESS", "10.1." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1)}});
    }
    ok = nodes.Write(d + "/nodes.csv") && ok;

    return ok;
  }

  bool WriteSchedules() {
    const std::string& d = sizes_.dir;
    bool ok = true;
    TableWriter schedules(ScheduleColumns());
    TableWriter assoc(AssociationColumns());
    for (int s = 0; s < sizes_.schedules; ++s) {
      std::string name = "SCHED" + Pad(s + 1, 4);
      std::string units = kUnits[rnd_.Below(6)];
      schedules.Add({{"DOMAIN_NAME", "STANDARD"},
                     {"SCHEDULE_NAME", name},
                     {"DESCRIPTION", "Generated schedule"},
                     {"ACTION", rnd_.Below(4) == 0 ? "Selective" : "Incremental"},
                     {"PRIORITY", "5"},
                     {"STARTDATE", "2026-01-05"},
                     {"STARTTIME", Pad(rnd_.Below(24), 2) + ":00:00"},
                     {"DURATION", "1"},
                     {"DURUNITS", "HOURS"},
                     {"SCHED_STYLE", "Classic"},
                     {"PERIOD", units == "ONETIME" ? "" : "1"},
                     {"PERUNITS", units},
                     {"DAYOFWEEK", kDays[rnd_.Below(6)]},
                     {"MAXRUNTIME", "0"},
                     {"CHG_ADMIN", "ADMIN"},
                     {"CHG_TIME", Stamp(2000 + s)}});
      for (int n = 0; n < sizes_.nodes; ++n) {
        if (sizes_.schedules > 0 && n % sizes_.schedules == s) {
          assoc.Add({{"DOMAIN_NAME", "STANDARD"},
                     {"SCHEDULE_NAME", name},
                     {"NODE_NAME", nodeNames_[n]},
                     {"CHG_TIME", Stamp(3000)},
                     {"CHG_ADMIN", "ADMIN"}});
        }
      }
    }
    ok = schedules.Write(d + "/client_schedules.csv") && ok;
    ok = assoc.Write(d + "/associations.csv") && ok;

    return ok;
  }

  bool WriteLibraries() {
    const std::string& d = sizes_.dir;
    bool ok = true;
    TableWriter libraries(LibraryColumns());
    TableWriter drives(DriveColumns());
    for (int l = 0; l < sizes_.libraries; ++l) {
      std::string lib = "LIB" + Pad(l + 1, 3);
      libraries.Add({{"LIBRARY_NAME", lib},
                     {"LIBRARY_TYPE", l % 3 == 2 ? "RSM" : "SCSI"},
                     {"SHARED", "NO"},
                     {"LAST_UPDATE_BY", "ADMIN"},
                     {"LAST_UPDATE", Stamp(100)},
                     {"LIBRARY_SERIAL", "GEN" + Pad(l, 7)}});
      for (int k = 0; k < 2; ++k) {
        drives.Add({{"LIBRARY_NAME", lib},
                    {"DRIVE_NAME", lib + "_DRV" + std::to_string(k + 1)},
                    {"DEVICE_TYPE", "LTO"},
                    {"ONLINE", rnd_.Below(4) == 0 ? "NO" : "YES"},
                    {"ELEMENT", std::to_string(256 + k)},
                    {"DRIVE_STATE", "EMPTY"},
                    {"LAST_UPDATE_BY", "ADMIN"},
                    {"LAST_UPDATE", Stamp(200)},
                    {"DRIVE_SERIAL", "SN" + Pad(l * 2 + k, 8)}});
      }
    }
    ok = libraries.Write(d + "/libraries.csv") && ok;
    ok = drives.Write(d + "/drives.csv") && ok;

    return ok;
  }

  bool WriteVolumes() {
    const std::string& d = sizes_.dir;
    bool ok = true;
    TableWriter volumes(VolumeColumns());
    TableWriter libvolumes(LibVolumeColumns());
    // Pools: the first half hold FILE and DISK volumes, the rest tape. The
    // n-th tape volume sits in library n modulo their number and in the
    // pool of the next digit, so every tape pool spreads over libraries.
    const int diskPools = std::max(1, sizes_.pools / 2);
    const int tapePools = std::max(1, sizes_.pools - diskPools);
    const int libraries = std::max(1, sizes_.libraries);
    int disks = 0, tapes = 0;
    for (int v = 0; v < sizes_.volumes; ++v) {
      bool disk = sizes_.libraries == 0 || v % 100 >= 100 - sizes_.diskPercent;
      bool file = disk && v % 2 == 0;
      int n = disk ? disks++ : tapes++;
      std::string name = !disk  ? "G" + Pad(v, 5) + "L8"
                         : file ? "/tsm/gen/file" + Pad(v, 6) + ".bfs"
                                : "/tsm/gen/disk" + Pad(v, 6) + ".dsm";
      std::string pool =
          disk ? "DISKPOOL" + Pad(n % diskPools, 3) : "TAPEPOOL" + Pad(n / libraries % tapePools, 3);
      volumes.Add({{"VOLUME_NAME", name},
                   {"STGPOOL_NAME", pool},
                   {"DEVCLASS_NAME", !disk  ? "LTOCLASS"
                                     : file ? "FILE"
                                            : "DISK"},
                   {"EST_CAPACITY_MB", std::to_string(disk ? 10240 : 12000000) + ".0"},
                   {"PCT_UTILIZED", std::to_string(rnd_.Below(100)) + ".0"},
                   {"STATUS", disk && !file ? "ONLINE" : "FILLING"},
                   {"ACCESS", "READWRITE"},
                   {"NUM_SIDES", "1"},
                   {"CHG_TIME", Stamp(300)},
                   {"CHG_ADMIN", "ADMIN"}});
      if (!disk) {
        libvolumes.Add({{"LIBRARY_NAME", "LIB" + Pad(n % libraries + 1, 3)},
                        {"VOLUME_NAME", name},
                        {"STATUS", "Private"},
                        {"LAST_USE", "Data"},
                        {"DEVTYPE", "LTO"},
                        {"MEDIATYPE", "LTO-8"}});
      }
    }
    ok = volumes.Write(d + "/volumes.csv") && ok;
    ok = libvolumes.Write(d + "/libvolumes.csv") && ok;
    ok = TableWriter(BackupColumns()).Write(d + "/backups.csv") && ok;
    ok = TableWriter(FilespaceColumns()).Write(d + "/filespaces.csv") && ok;

    return ok;
  }

  bool WriteSummary() {
    const std::string& d = sizes_.dir;
    bool ok = true;
    TableWriter summary(SummaryColumns());
    long number = 1;
    for (int n = 0; n < sizes_.nodes; ++n) {
      for (int j = 0; j < sizes_.jobs; ++j) {
        long start = static_cast<long>(j) * 1440 + rnd_.Below(600);
        bool scheduled = rnd_.Below(5) != 0 && sizes_.schedules > 0;
        summary.Add({{"START_TIME", Stamp(start)},
                     {"END_TIME", Stamp(start + 5 + rnd_.Below(120))},
                     {"ACTIVITY", "BACKUP"},
                     {"NUMBER", std::to_string(number++)},
                     {"ENTITY", nodeNames_[n]},
                     {"COMMMETH", "Tcp/Ip"},
                     {"SCHEDULE_NAME", scheduled ? "SCHED" + Pad(n % sizes_.schedules + 1, 4) : ""},
                     {"EXAMINED", std::to_string(rnd_.Below(100000))},
                     {"AFFECTED", std::to_string(rnd_.Below(1000))},
                     {"FAILED", "0"},
                     {"BYTES", std::to_string(rnd_.Next() % 100000000000ULL)},
                     {"SUCCESSFUL", rnd_.Below(10) == 0 ? "NO" : "YES"}});
      }
    }
    ok = summary.Write(d + "/summary.csv") && ok;
    return ok;
  }

  const Sizes& sizes_;
  Random rnd_;
  std::vector<std::string> nodeNames_;
};

}  // namespace

int RunGenerateSite(const std::vector<std::string>& args) {
  const char* const usage =
      "usage: dsmadmc generate-site [--nodes N] [--schedules S] [--libraries L] [--volumes V] "
      "[--pools P] [--disk-percent D] [--jobs-per-node J] [--seed K] DIR\n"
      "Writes a synthetic site (the same files for the same arguments) whose administrator\n"
      "is ADMIN with the password ADMIN.\n";
  if (args.size() == 1 && args[0] == "--help") {
    std::cout << usage;
    return 0;
  }
  Sizes sizes;
  if (!ParseArgs(args, &sizes)) {
    std::cerr << usage;
    return 2;
  }
  ::mkdir(sizes.dir.c_str(), 0755);
  if (!SiteWriter(sizes).WriteAll()) {
    std::cerr << "generate-site: cannot write the site in " << sizes.dir << "\n";
    return 1;
  }
  return 0;
}

}  // namespace dsmsim
