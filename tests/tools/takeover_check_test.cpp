// The takeover check's accounting: each row takes one thing away from what
// was handed over (or adds one to TSM) and says which item must be left
// out, and why.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tools/tsm-discover/verify/TakeoverCheck.h"

namespace {

using tsmreport::ReportModel;
using tsmverify::GatheredSet;

// A schedule of the detailed query, daily at 21:00 from 2026-01-05, for `nodes`.
tsmverify::GatheredSchedule Schedule(const std::string& name, const std::string& action,
                                     std::vector<std::string> nodes) {
  tsmverify::GatheredSchedule g;
  g.nodes = std::move(nodes);
  g.text.domain = "STANDARD";
  g.text.name = name;
  g.text.action = action;
  g.text.start = "01/05/2026 21:00:00";
  g.text.style = "Classic";
  g.text.period = "1 Day(s)";
  g.text.dayOfWeek = "Any";
  return g;
}

// Two nodes, one schedule for both, a library with a drive and a volume,
// a pool and two summary rows for WEB01; everything handed over.
void Site(GatheredSet* tsm, ReportModel* r) {
  tsm->dir = "set";
  tsm->nodes = {"WEB01", "DB01"};
  tsm->schedules.push_back(Schedule("DAILY", "Incremental", {"WEB01", "DB01"}));
  tsm->libraries = {"LIB1"};
  tsm->drives = {{"LIB1", "DRV1"}};
  tsm->volumes = {{"VOL1", "LIB1", "POOL1"}};
  tsm->poolsByLibrary = {{"LIB1", "POOL1"}};
  tsm->jobs["WEB01"] = {2, 0, true};
  for (const char* n : {"WEB01", "DB01"}) r->clients.push_back({n, "", "", "", "", "", "", {}});
  tsmreport::TaskRow task{"STANDARD_DAILY_TSM_VEGA", "", {"WEB01", "DB01"}, {}};
  tsmreport::SubTaskRow sub;
  sub.pattern.present = true;
  sub.pattern.kind = 8;
  sub.pattern.startDate = 20458LL * 86400;  // 2026-01-05
  sub.pattern.startTimeOfDay = 21 * 3600;
  sub.pattern.endTimeOfDay = 86400;
  sub.pattern.repeatIntervalSeconds = 86400;
  sub.pattern.recurrenceFactor = 1;
  sub.pattern.dayFlags = 0x7f;
  task.subtasks.push_back(sub);
  r->tasks.push_back(task);
  r->libraries.push_back({"LIB1", {{"DRV1", "", "", true}}});
  r->media.push_back({"LIB1", "VOL1", ""});
  r->policies.push_back({"POOL1", {}});
  r->history["WEB01"].jobs = 2;
}

struct Row {
  const char* what;
  std::function<void(GatheredSet*, ReportModel*)> change;
  const char* kind;
  const char* name;
  const char* reason;  // part of it; nullptr: everything accounted for
};

TEST(TakeoverCheckTest, WhatIsLeftOutAndWhy) {
  const Row rows[] = {
      {"as handed over", [](GatheredSet*, ReportModel*) {}, nullptr, nullptr, nullptr},
      {"a node missing", [](GatheredSet*, ReportModel* r) { r->clients.pop_back(); }, "node", "DB01",
       "not in the client list"},
      {"a node with a blank", [](GatheredSet* t, ReportModel*) { t->nodes.push_back("MY PC"); }, "node",
       "MY PC", "it holds a blank"},
      {"an association missing", [](GatheredSet*, ReportModel* r) { r->tasks[0].clients.pop_back(); },
       "schedule", "STANDARD/DAILY", "no association for 1 of 2 nodes: DB01"},
      {"an archive schedule",
       [](GatheredSet* t, ReportModel*) { t->schedules.push_back(Schedule("ARCH", "Archive", {"WEB01"})); },
       "schedule", "STANDARD/ARCH", "only backup schedules"},
      {"no task", [](GatheredSet*, ReportModel* r) { r->tasks.clear(); }, "schedule", "STANDARD/DAILY",
       "no task in the replies"},
      {"a drive of a refused library",
       [](GatheredSet* t, ReportModel* r) {
         t->libraries.push_back("MY LIB");
         t->drives.push_back({"MY LIB", "D"});
         r->libraries.push_back({"MY LIB", {}});
       },
       "drive", "MY LIB/D", "refuses the library name"},
      {"a volume in another library", [](GatheredSet*, ReportModel* r) { r->media[0].library = "LIB2"; },
       "volume", "LIB1/VOL1", "in another library only"},
      {"a pool merged by letter case", [](GatheredSet*, ReportModel* r) { r->policies[0].name = "Pool1"; },
       "pool", "POOL1", "differs only in letter case"},
      {"a job missing", [](GatheredSet*, ReportModel* r) { r->history["WEB01"].jobs = 1; }, "jobs", "WEB01",
       "1 rows without a job"},
      {"a short summary row", [](GatheredSet* t, ReportModel*) { t->jobs["WEB01"].shortRows = 1; }, "jobs",
       "WEB01", "1 rows with fewer than 5 fields"},
      {"a skipped line",
       [](GatheredSet* t, ReportModel*) {
         t->skipped.push_back({"ixr_node.txt", "line 9"});
       },
       "line", "ixr_node.txt", "skipped: line 9"},
  };
  for (const Row& row : rows) {
    GatheredSet tsm;
    ReportModel replies;
    Site(&tsm, &replies);
    row.change(&tsm, &replies);
    tsmverify::TakeoverCheck check;
    tsmverify::CheckTakeover(tsm, replies, 20458LL * 86400, 20465LL * 86400, &check);
    std::vector<const tsmverify::CheckItem*> left;
    for (const tsmverify::CheckItem& i : check.items) {
      if (i.handedCount < i.count) left.push_back(&i);
    }
    if (row.kind == nullptr) {
      EXPECT_EQ(check.same, 1);
      EXPECT_TRUE(left.empty()) << row.what << ": " << left.front()->name << " " << left.front()->reason;
      EXPECT_EQ(check.ExitStatus(), 0) << row.what;
      continue;
    }
    ASSERT_EQ(left.size(), 1u) << row.what;
    EXPECT_EQ(left[0]->kind, row.kind) << row.what;
    EXPECT_EQ(left[0]->name, row.name) << row.what;
    EXPECT_NE(left[0]->reason.find(row.reason), std::string::npos) << row.what << ": " << left[0]->reason;
    EXPECT_EQ(check.ExitStatus(), 1) << row.what;
  }
}

}  // namespace
