// The job query of one node: command and file name, header lines live and
// replayed, column rules, BYTES figures and refused names.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "jobs/CForeignHandlerTSMJob.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/Guards.h"

namespace {

using namespace testsupport;

std::string Describe(const CTSMJobInfo& r) {
  return r.get_policyName() + "|" + r.get_startTime() + "|" + r.get_endTime() + "|" + r.get_jobStatus() +
         "|" + std::to_string(r.get_backupSize());
}

struct Fetched {
  bool ok = false;
  std::vector<std::string> records;
};

Fetched Fetch(CTSMJobInfoFetcher& fetcher) {
  std::vector<CTSMJobInfo> out;
  Fetched f;
  f.ok = fetcher.FetchData(&out);
  for (const CTSMJobInfo& r : out) f.records.push_back(Describe(r));
  return f;
}

TEST(JobQueryTest, LiveQueryUsesUpperCaseNameAndDropsFourHeaderLines) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  FakeDsmadmc fake;
  const std::string dataLike = "S,a,b,YES,1\n";
  fake.FailOn("LIKE 'N1'", 3);
  fake.On("FROM SUMMARY", dataLike + dataLike + dataLike + dataLike + "DAILY,s,e,NO,7\n");
  CTSMJobInfoFetcher fetcher;
  fetcher.set_nodeName("lab_01");
  fetcher.SetLogin("admin");
  fetcher.SetPassword("secret");
  Fetched f = Fetch(fetcher);
  EXPECT_TRUE(f.ok);
  EXPECT_EQ(f.records, std::vector<std::string>{"DAILY|s|e|NO|7"});
  EXPECT_STREQ(fetcher._GetFileNameForData(), "ixr_jobs_LAB_01.txt");
  ASSERT_EQ(fake.commands().size(), 2u);  // the select, then the node's schedule query
  EXPECT_NE(fake.commands()[1].find("Nodes=LAB_01"), std::string::npos) << fake.commands()[1];
  EXPECT_EQ(
      fake.runs()[0].back(),
      "SELECT SCHEDULE_NAME, START_TIME, END_TIME, SUCCESSFUL, BYTES FROM SUMMARY SS WHERE SS.ACTIVITY = "
      "'BACKUP' AND SS.ENTITY LIKE 'LAB!_01' ESCAPE '!' ORDER BY START_TIME");
  EXPECT_NE(fake.commands()[0].find("-outfile=ixr_jobs_LAB_01.txt"), std::string::npos);

  // A failing command fails the fetch.
  CTSMJobInfoFetcher failing;
  failing.set_nodeName("N1");
  EXPECT_FALSE(Fetch(failing).ok);
}

TEST(JobQueryTest, ReplayedLinesBecomeRecordsByColumnRules) {
  const std::string ll = std::to_string(LLONG_MAX), minll = std::to_string(LLONG_MIN);
  // An empty expectation: the line gives no record.
  const std::pair<std::string, std::string> cases[] = {
      {"DAILY,2026-11-30 21:00:06.000000,2026-11-30 21:02:00.000000,YES,1048576",
       "DAILY|2026-11-30 21:00:06.000000|2026-11-30 21:02:00.000000|YES|1048576"},
      {",s,e,NO,", "OnDemand|s|e|NO|0"},
      {"a,b,c,d", ""},
      {"", ""},
      {" S ,s,e,YES,5,extra", " S |s|e|YES|5"},
      {"S,s,e,YES,abc", "S|s|e|YES|0"},
      {"S,s,e,YES, 12 ", "S|s|e|YES|12"},
      {"S,s,e,YES,12.9", "S|s|e|YES|12"},
      {"S,s,e,YES,99999999999999999999", "S|s|e|YES|" + ll},
      {"S,s,e,YES,-99999999999999999999", "S|s|e|YES|" + minll},
  };
  TempDir dir;
  ScopedExistingFiles replay(true, dir.path() + "/");
  FakeDsmadmc fake;
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE(line);
    WriteFile(dir.file("ixr_jobs_N1.txt"), line + "\n");
    CTSMJobInfoFetcher fetcher;
    fetcher.set_nodeName("n1");
    Fetched f = Fetch(fetcher);
    EXPECT_TRUE(f.ok);
    EXPECT_EQ(f.records, expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
  }
  EXPECT_TRUE(fake.commands().empty());
}

TEST(JobQueryTest, NamesThatCannotStandInACommandAreRefused) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  FakeDsmadmc fake;
  fake.On("", "h\nh\nh\nh\nS,s,e,YES,1\n");
  // A file left under a refused name must not be read as its answer.
  WriteFile(dir.file("ixr_jobs_A B.txt"), "S,s,e,YES,1\n");
  WriteFile(dir.file("ixr_jobs_A\"B.txt"), "S,s,e,YES,1\n");
  for (const char* name : {"A B", "A\"B", "../X", "", ".."}) {
    SCOPED_TRACE(name);
    CTSMJobInfoFetcher fetcher;
    fetcher.set_nodeName(name);
    Fetched f = Fetch(fetcher);
    EXPECT_FALSE(f.ok);
    EXPECT_TRUE(f.records.empty());
  }
  EXPECT_TRUE(fake.commands().empty());
}

}  // namespace
