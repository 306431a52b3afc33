// The job query of one node: the column rules and BYTES figures of replayed
// lines, refused names. The live query also runs in discover_jobs_test.cpp.
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

TEST(JobQueryTest, ReplayedLinesBecomeRecordsByColumnRulesAndBadNamesAreRefused) {
  // Each line alone in a replayed file (no header lines), and its record.
  const std::pair<std::string, std::string> cases[] = {
      {"DAILY,2026-11-30 21:00:06.000000,e,YES,1048576", "DAILY|2026-11-30 21:00:06.000000|e|YES|1048576"},
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
  // Live, names that cannot stand in a command or a file name are refused:
  // nothing runs, and a file left under the name is not taken for an answer.
  ScopedExistingFiles live(false, "");
  ScopedChdir cd(dir.path());
  FakeDsmadmc fake;
  WriteFile(dir.file("ixr_jobs_A B.txt"), "h\nh\nh\nh\nS,s,e,YES,1\n");
  for (const char* name : {"A B", "A\"B", "../X", "", ".."}) {
    EXPECT_EQ(Fetch(name), std::vector<std::string>{"false"}) << name;
  }
  EXPECT_TRUE(fake.commands().empty());
}

}  // namespace
