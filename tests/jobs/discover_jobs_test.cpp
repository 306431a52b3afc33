// DiscoverJobs after DiscoverClients: batches, a failed hand-over, job
// fields, and the sample site live against its replay set.
#include <gtest/gtest.h>

#include "handler/TSMCommands.h"
#include "host/HandOver.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"
#include "tests/support/RunProgram.h"

namespace {

using namespace clienttest;
using namespace testsupport;
using namespace zyfields;

constexpr char kStart[] = "2026-11-30 21:00:00.000000";

std::string JobLine(const std::string& schedule, const std::string& end, const std::string& status = "YES",
                    const std::string& bytes = "9") {
  return schedule + "," + kStart + "," + end + "," + status + "," + bytes + "\n";
}
std::string JobLines(int n) {
  std::string lines;
  for (int i = 0; i < n; ++i) lines += JobLine("S", kStart);
  return lines;
}

// Per job list handed over in `dir`, its jobs as "key|subclient|summary and
// detail status|start|duration|size|storage policy".
std::vector<std::vector<std::string>> Batches(const std::string& dir) {
  std::vector<std::vector<std::string>> batches;
  for (const std::string& name : ListDir(dir)) {
    auto list =
        name.find("JobList") != std::string::npos ? zyhost::ReadMessageXml(dir + "/" + name) : nullptr;
    if (list == nullptr) continue;
    EXPECT_EQ(GetInt(list.get(), FDC::JobList::field7), 8);
    batches.emplace_back();
    for (size_t i = 0; i < Count(list.get(), FDC::JobList::jobs); ++i) {
      const CNMessageBase* job = Item(list.get(), FDC::JobList::jobs, i);
      const CNMessageBase* d = Sub(Sub(job, FDC::JobInfo::detail), FDC::JobDetail::backupDetail);
      auto n = [](const CNMessageBase* m, FieldRef f) { return m ? std::to_string(GetInt(m, f)) : "?"; };
      using B = FDC::BackupJobDetail;
      batches.back().push_back(
          GetString(job, FDC::JobInfo::jobKey) + "|" +
          GetString(Sub(job, FDC::JobInfo::subclient), ZyEntities::SubclientEntity::subclientName) + "|" +
          n(Sub(job, FDC::JobInfo::summary), FDC::JobSummary::status) + n(d, B::status) + "|" +
          n(d, B::startTime) + "|" + n(d, B::duration) + "|" + n(d, B::field35) + "|" +
          GetString(Sub(d, B::storagePolicy), ZyEntities::StoragePolicyEntity::storagePolicyName));
    }
  }
  return batches;
}

// A scripted dsmadmc for a client discovery then a job discovery; the
// hand-over goes to `out`, renumbered, restored after.
struct JobRun {
  JobRun() {
    config.setstring(5, 17, out.path());
    fake.FailOn("Nodes=", 11);
  }
  // A Linux node whose select prints `lines` after four header lines that
  // look like data, or fails with `status`.
  void Node(const std::string& name, const std::string& lines, int status = 0) {
    nodes += NodeLine({name, "Linux86"}) + "\n";
    const std::string select = tsmcmd::JobsSelect(tsmcmd::ToUpper(name));
    if (status != 0) fake.FailOn(select, status);
    fake.On(select, JobLines(4) + lines);
  }
  bool Clients() {
    fake.On("query node", nodes);
    return handler.DiscoverClients(&config);
  }

  TempDir out;
  ScopedHandOver handOver{out.path()};
  std::string nodes;
  FakeDsmadmc fake;
  FDC::ExternalNBUConfig config;
  CForeignHandlerTSM handler;
};

class DiscoverJobsTest : public ::testing::Test {
 protected:
  ScopedChdir cd_{"/"};
  ScopedExistingFiles live_{false, ""};
  ScopedServerName server_{""};
  ScopedTimeZone utc_{"UTC"};
};

TEST_F(DiscoverJobsTest, BatchesOfJobsPerReplyRunAcrossNodesUntilAHandOverFails) {
  // Jobs per node (-1: its select fails), then the sizes of the hand-overs.
  const std::pair<std::vector<int>, std::vector<size_t>> cases[] = {
      {{2500}, {1000, 1000, 500}}, {{1000}, {1000}}, {{8, 1992}, {1000, 1000}}, {{3, -1, 4}, {7}}, {{}, {}}};
  for (const auto& [perNode, sizes] : cases) {
    JobRun run;
    for (size_t i = 0; i < perNode.size(); ++i) {
      run.Node("n" + std::to_string(i), JobLines(perNode[i]), perNode[i] < 0 ? 3 : 0);
    }
    ASSERT_TRUE(run.Clients());
    EXPECT_TRUE(run.handler.DiscoverJobs(&run.config));
    EXPECT_EQ(FileExists(run.out.file("ixr_jobs_N0.txt")), !perNode.empty());  // queried in upper case
    std::vector<size_t> got;
    for (const auto& batch : Batches(run.out.path())) got.push_back(batch.size());
    EXPECT_EQ(got, sizes) << ::testing::PrintToString(perNode);
  }
  JobRun bare;  // no client discovery first: no node, nothing handed over
  EXPECT_TRUE(bare.handler.DiscoverJobs(&bare.config));
  EXPECT_TRUE(ListDir(bare.out.path()).empty());
  JobRun failing;  // a failed hand-over ends the request at once
  failing.Node("n1", JobLines(1000));
  failing.Node("n2", JobLines(1));
  ASSERT_TRUE(failing.Clients());
  zyhost::SetHandOverDirectory("");
  LogCapture log;
  EXPECT_FALSE(failing.handler.DiscoverJobs(&failing.config));
  EXPECT_NE(log.text().find("Unable to dump jobs xml"), std::string::npos);
  EXPECT_EQ(failing.fake.CountCommands("LIKE 'N2'"), 0u);
}

TEST_F(DiscoverJobsTest, JobFieldsKeysAndTheServersOwnNode) {
  JobRun run;
  run.Node("WEB01", JobLine("DAILY", "2026-11-30 21:10:00.000000", "yes", "1048576") +
                        JobLine("", "2026-11-30 20:59:00.000000", "NO", "5") +
                        JobLine("W", kStart, "MAYBE", ""));
  run.Node(tsmcmd::ToUpper(GetHostName()), JobLine("S", kStart));  // listed under the host name
  ASSERT_TRUE(run.Clients() && run.handler.DiscoverJobs(&run.config));
  const std::vector<std::string> jobs = Batches(run.out.path()).at(0);
  ASSERT_EQ(jobs.size(), 4u);
  // The key ends in the process's job counter, so equal start times still differ.
  const std::string sp = "|TSM_" + GetHostName() + "_Default_SP", web = std::string("WEB01_") + kStart + "_";
  const size_t counter = std::stoul(jobs[0].substr(web.size()));
  EXPECT_EQ(jobs, (std::vector<std::string>{
                      web + std::to_string(counter) + "|DAILY|11|1796072400|600|1048576" + sp,
                      web + std::to_string(counter + 1) + "|OnDemand|22|1796072400|-60|5" + sp,
                      web + std::to_string(counter + 2) + "|W|22|1796072400|0|0" + sp,
                      GetHostName() + "_" + kStart + "_" + std::to_string(counter + 3) +
                          "|S|11|1796072400|0|9" + sp}));
}

TEST(JobsEndToEndTest, LiveAndReplayGiveTheSameJobsForWildcardNames) {
  TempDir tmp;
  ScopedEnv password("TSM_PASSWORD", "Orbit7-Demo");
  const std::string tool = BinDir() + "/tsm-discover";
  ASSERT_EQ(RunProgram({tool, "demo", "--out", tmp.file("live"), "--work", tmp.file("work")}).status, 0);
  ASSERT_EQ(RunProgram({tool, "run", "--replay", SourceDir() + "/samples/replay", "--login", "ADMIN", "--out",
                        tmp.file("replay"), "--only", "config,clients,jobs"})
                .status,
            0);
  // The policy names differ (host name live, server name replayed): compare up to them.
  std::vector<std::string> live, replay;
  for (auto [dir, jobs] : {std::pair{"live", &live}, std::pair{"replay", &replay}}) {
    for (const auto& batch : Batches(tmp.file(dir))) {
      for (const std::string& j : batch) jobs->push_back(j.substr(0, j.rfind('|')));
    }
  }
  EXPECT_EQ(live, replay);
  std::string lab;  // LAB_01 has one backup, LABX01 two
  for (const std::string& job : live) lab += job.rfind("LAB", 0) == 0 ? job.substr(0, 6) + " " : "";
  EXPECT_EQ(lab, "LABX01 LABX01 LAB_01 ");
}

}  // namespace
