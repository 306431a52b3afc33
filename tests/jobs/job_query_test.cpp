// The job query of one node: upper-case name and header lines live,
// refused names, column rules and BYTES figures replayed.
#include <gtest/gtest.h>

#include <climits>

#include "jobs/CForeignHandlerTSMJob.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/Guards.h"

namespace {

using namespace testsupport;

// FetchData's result, then "policy|start|end|status|bytes" per record.
std::vector<std::string> Fetch(const std::string& node) {
  CTSMJobInfoFetcher fetcher;
  fetcher.set_nodeName(node);
  std::vector<CTSMJobInfo> out;
  std::vector<std::string> f{fetcher.FetchData(&out) ? "true" : "false"};
  for (const CTSMJobInfo& r : out) {
    f.push_back(r.get_policyName() + "|" + r.get_startTime() + "|" + r.get_endTime() + "|" +
                r.get_jobStatus() + "|" + std::to_string(r.get_backupSize()));
  }
  return f;
}

TEST(JobQueryTest, LiveQueryIsUpperCaseSkipsFourLinesAndRefusesUnusableNames) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  FakeDsmadmc fake;
  fake.On("FROM SUMMARY", "S,a,b,YES,1\nS,a,b,YES,1\nS,a,b,YES,1\nS,a,b,YES,1\nDAILY,s,e,NO,7\n");
  EXPECT_EQ(Fetch("lab_01"), (std::vector<std::string>{"true", "DAILY|s|e|NO|7"}));
  ASSERT_EQ(fake.runs().size(), 2u);  // the select, then the node's schedule query
  EXPECT_EQ(fake.runs()[0][3], "-outfile=ixr_jobs_LAB_01.txt");
  EXPECT_NE(fake.runs()[0].back().find("LIKE 'LAB!_01' ESCAPE '!'"), std::string::npos);
  EXPECT_NE(fake.commands()[1].find("Nodes=LAB_01"), std::string::npos);
  // Nothing runs, and a file left under the name is not taken for its answer.
  WriteFile(dir.file("ixr_jobs_A B.txt"), "S,s,e,YES,1\n");
  for (const char* name : {"A B", "A\"B", "../X", "", ".."}) {
    EXPECT_EQ(Fetch(name), std::vector<std::string>{"false"}) << name;
  }
  EXPECT_EQ(fake.runs().size(), 2u);
}

TEST(JobQueryTest, ReplayedLinesBecomeRecordsByColumnRules) {
  // Each line alone in a replayed file (no header lines), and its record.
  const std::pair<std::string, std::string> cases[] = {
      {"DAILY,2026-11-30 21:00:06.000000,2026-11-30 21:02:00.000000,YES,1048576",
       "DAILY|2026-11-30 21:00:06.000000|2026-11-30 21:02:00.000000|YES|1048576"},
      {",s,e,NO,", "OnDemand|s|e|NO|0"},
      {"a,b,c,d", ""},
      {" S ,s,e,YES,5,extra", " S |s|e|YES|5"},
      {"S,s,e,YES,abc", "S|s|e|YES|0"},
      {"S,s,e,YES, 12 ", "S|s|e|YES|12"},
      {"S,s,e,YES,12.9", "S|s|e|YES|12"},
      {"S,s,e,YES,99999999999999999999", "S|s|e|YES|" + std::to_string(LLONG_MAX)},
      {"S,s,e,YES,-99999999999999999999", "S|s|e|YES|" + std::to_string(LLONG_MIN)},
  };
  TempDir dir;
  ScopedExistingFiles replay(true, dir.path() + "/");
  for (const auto& [line, record] : cases) {
    WriteFile(dir.file("ixr_jobs_N1.txt"), line + "\n");
    std::vector<std::string> expected{"true"};
    if (!record.empty()) expected.push_back(record);
    EXPECT_EQ(Fetch("n1"), expected) << line;
  }
}

}  // namespace
