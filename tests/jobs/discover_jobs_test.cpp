// DiscoverJobs after DiscoverClients with a scripted dsmadmc: batches,
// job fields, skipped nodes and a failed hand-over.
#include <gtest/gtest.h>

#include "handler/TSMCommands.h"
#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace clienttest;
using namespace testsupport;
using namespace zyfields;

constexpr char kStart[] = "2026-11-30 21:00:00.000000";

// One summary line starting at kStart.
std::string JobLine(const std::string& schedule, const std::string& end, const std::string& successful,
                    const std::string& bytes) {
  return schedule + "," + kStart + "," + end + "," + successful + "," + bytes + "\n";
}

// `n` successful lines of schedule S.
std::string JobLines(int n) {
  std::string lines;
  for (int i = 0; i < n; ++i) lines += JobLine("S", "2026-11-30 21:10:00.000000", "YES", "9");
  return lines;
}

// A client discovery then a job discovery against a scripted dsmadmc; the
// hand-over goes to `out`, renumbered, restored after.
struct JobRun {
  JobRun() : oldHandOver(zyhost::HandOverDirectory()) {
    zyhost::SetHandOverDirectory(out.path());
    zyhost::ResetHandOverSequence();
    config.setstring(5, 17, bin.path());
    config.setstring(11, 41, "admin");
    config.setstring(12, 45, "secret");
    fake.FailOn("Nodes=", 11);
  }
  ~JobRun() {
    zyhost::SetHandOverDirectory(oldHandOver);
    zyhost::ResetHandOverSequence();
  }
  // A Linux node whose summary select prints four header lines and `lines`;
  // a negative `status` makes the select fail.
  void Node(const std::string& name, const std::string& lines, int status = 0) {
    nodes += NodeLine({name, "Linux86"}) + "\n";
    const std::string select = tsmcmd::JobsSelect(tsmcmd::ToUpper(name));
    if (status != 0) fake.FailOn(select, status);
    fake.On(select, "h\nh\nh\nh\n" + lines);
  }
  bool Clients() {
    fake.On("query node", nodes);
    handler.SetHostChannel(&channel);
    return handler.DiscoverClients(&config);
  }
  bool Run(bool clientsFirst = true) { return (!clientsFirst || Clients()) && handler.DiscoverJobs(&config); }
  std::vector<std::unique_ptr<CNMessageBase>> Batches() const {
    std::vector<std::unique_ptr<CNMessageBase>> lists;
    for (const std::string& name : ListDir(out.path())) {
      if (name.find("FDC.JobList") != std::string::npos)
        lists.push_back(zyhost::ReadMessageXml(out.file(name)));
    }
    return lists;
  }

  TempDir bin, out;
  std::string oldHandOver;
  FakeDsmadmc fake;
  RecordingHostChannel channel;
  FDC::ExternalNBUConfig config;
  CForeignHandlerTSM handler;
  std::string nodes;
};

class DiscoverJobsTest : public ::testing::Test {
 protected:
  ScopedChdir cd_{"/"};
  ScopedExistingFiles live_{false, ""};
  ScopedServerName server_{""};
  ScopedTimeZone utc_{"UTC"};
};

TEST_F(DiscoverJobsTest, BatchesHoldJobsPerReplyJobsAcrossNodes) {
  // Jobs per node (-1: its select fails) and the sizes of the hand-overs.
  const std::pair<std::vector<int>, std::vector<size_t>> cases[] = {
      {{2500}, {1000, 1000, 500}}, {{1000}, {1000}}, {{8, 1992}, {1000, 1000}}, {{3, -1, 4}, {7}}, {{}, {}},
  };
  for (const auto& [perNode, sizes] : cases) {
    SCOPED_TRACE(::testing::PrintToString(perNode));
    JobRun run;
    for (size_t i = 0; i < perNode.size(); ++i) {
      run.Node("N" + std::to_string(i), JobLines(perNode[i] < 0 ? 1 : perNode[i]), perNode[i] < 0 ? 3 : 0);
    }
    EXPECT_TRUE(run.Run());
    std::vector<size_t> got;
    for (const auto& list : run.Batches()) {
      ASSERT_NE(list, nullptr);
      got.push_back(Count(list.get(), FDC::JobList::jobs));
      EXPECT_EQ(GetInt(list.get(), FDC::JobList::field6), 0);
      EXPECT_EQ(GetInt(list.get(), FDC::JobList::field7), 8);
    }
    EXPECT_EQ(got, sizes);
  }
  // Without a client discovery there is no node: nothing runs, nothing is handed over.
  JobRun bare;
  bare.Node("N1", JobLines(3));
  EXPECT_TRUE(bare.Run(false));
  EXPECT_TRUE(bare.fake.commands().empty());
  EXPECT_TRUE(ListDir(bare.out.path()).empty());
}

TEST_F(DiscoverJobsTest, JobFieldsStatusDurationKeysAndTheServersOwnNode) {
  JobRun run;
  run.Node("WEB01", JobLine("DAILY", "2026-11-30 21:10:00.000000", "YES", "1048576") +
                        JobLine("", "2026-11-30 20:59:00.000000", "NO", "5") +
                        JobLine("W", kStart, "MAYBE", ""));
  run.Node(tsmcmd::ToUpper(GetHostName()), JobLines(1));  // becomes the host name in the client list
  ASSERT_TRUE(run.Run());
  auto batches = run.Batches();
  ASSERT_EQ(batches.size(), 1u);
  const CNMessageBase* list = batches[0].get();
  ASSERT_EQ(Count(list, FDC::JobList::jobs), 4u);
  // subclient | status in summary and detail | start | duration | size | description
  const std::string rows[] = {
      "DAILY|1 1|1796072400|600|1048576|TSM Job run at 2026-11-30 21:00:00.000000",
      "OnDemand|2 2|1796072400|-60|5|TSM Job run at 2026-11-30 21:00:00.000000",
      "W|2 2|1796072400|0|0|TSM Job run at 2026-11-30 21:00:00.000000",
  };
  std::string appName;
  const int appType = CForeignHandlerTSM::getZYAppType("", "Linux86", appName);
  long long firstCounter = -1;
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const CNMessageBase* job = Item(list, FDC::JobList::jobs, i);
    const CNMessageBase* subclient = Sub(job, FDC::JobInfo::subclient);
    const CNMessageBase* detail = Sub(Sub(job, FDC::JobInfo::detail), FDC::JobDetail::backupDetail);
    const CNMessageBase* data = Item(Sub(job, FDC::JobInfo::dataInfo), FDC::DataInfoList::dataInfos, 0);
    const CNMessageBase* summary = Sub(job, FDC::JobInfo::summary);
    ASSERT_TRUE(subclient && detail && data && summary);
    const std::string node = i < 3 ? "WEB01" : GetHostName();
    EXPECT_EQ(GetString(subclient, ZyEntities::SubclientEntity::clientName), node);
    EXPECT_EQ(GetInt(subclient, ZyEntities::SubclientEntity::appType), appType);
    EXPECT_EQ(GetInt(job, FDC::JobInfo::appType), appType);
    // Keys carry one counter for the process: consecutive, so equal start times still differ.
    const std::string key = GetString(job, FDC::JobInfo::jobKey);
    const std::string prefix = node + "_" + kStart + "_";
    ASSERT_EQ(key.substr(0, prefix.size()), prefix);
    if (i == 0) firstCounter = std::stoll(key.substr(prefix.size()));
    EXPECT_EQ(key, prefix + std::to_string(firstCounter + static_cast<long long>(i)));
    const CNMessageBase* policy = Sub(detail, FDC::BackupJobDetail::storagePolicy);
    EXPECT_EQ(GetString(policy, ZyEntities::StoragePolicyEntity::storagePolicyName),
              "TSM_" + GetHostName() + "_Default_SP");
    EXPECT_EQ(GetInt(detail, FDC::BackupJobDetail::backupLevel), 1);
    EXPECT_EQ(GetInt(detail, FDC::BackupJobDetail::field39), GetInt(data, FDC::DataInfo::size));
    if (i == 3) continue;
    const std::string row = GetString(subclient, ZyEntities::SubclientEntity::subclientName) + "|" +
                            std::to_string(GetInt(summary, FDC::JobSummary::status)) + " " +
                            std::to_string(GetInt(detail, FDC::BackupJobDetail::status)) + "|" +
                            std::to_string(GetInt(detail, FDC::BackupJobDetail::startTime)) + "|" +
                            std::to_string(GetInt(detail, FDC::BackupJobDetail::duration)) + "|" +
                            std::to_string(GetInt(detail, FDC::BackupJobDetail::field35)) + "|" +
                            GetString(summary, FDC::JobSummary::description);
    EXPECT_EQ(row, rows[i]);
  }
}

TEST_F(DiscoverJobsTest, FailedHandOverEndsTheRequestAtOnce) {
  JobRun run;
  run.Node("N1", JobLines(1000));
  run.Node("N2", JobLines(1));
  ASSERT_TRUE(run.Clients());
  zyhost::SetHandOverDirectory("");
  LogCapture log;
  EXPECT_FALSE(run.handler.DiscoverJobs(&run.config));
  EXPECT_NE(log.text().find("Unable to dump jobs xml"), std::string::npos);
  EXPECT_EQ(run.fake.CountCommands("LIKE 'N2'"), 0u);
}

TEST(JobMappingTest, StatusAndBackupLevelIgnoreCase) {
  const std::tuple<const char*, int, int> cases[] = {
      {"YES", 1, 1},         {"yes", 1, 1}, {"NO", 2, 1},          {"", 2, 1},
      {"MAYBE", 2, 1},       {"Inc", 2, 2}, {"INCREMENTAL", 2, 2}, {"Selective", 2, 1},
      {"ImageBackup", 2, 1},
  };
  for (const auto& [word, status, level] : cases) {
    SCOPED_TRACE(word);
    EXPECT_EQ(CForeignHandlerTSM::MapJobStatus_TSMToZY(word), status);
    EXPECT_EQ(CForeignHandlerTSM::MapBackupType_TSMToZY(word), level);
  }
}

}  // namespace
