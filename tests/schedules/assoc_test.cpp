// The association query: which lines fill the client list, names refused
// in live runs and the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMAssoc.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using schedtest::Header;
using Strings = std::vector<std::string>;

void Configure(CTSMAssoc* assoc, const std::string& domain, const std::string& schedule) {
  assoc->SetPolicyDomain(domain);
  assoc->SetPolicyName(schedule);
  assoc->SetLogin("admin");
  assoc->SetPassword("pw");
}

// Replays the saved output `file` (none when empty) for STANDARD/DAILY
// into a record whose list was `before`.
TEST(CTSMAssocTest, MatchingLineReplacesTheClientList) {
  const std::string line = "STANDARD,DAILY,NODE1\n";
  const struct {
    const char* name;
    std::string file;
    Strings before;
    Strings after;
  } cases[] = {
      {"one line", Header() + "STANDARD,DAILY,NODE1 NODE2\n", {}, {"NODE1", "NODE2"}},
      {"a later line replaces the list", Header() + "STANDARD,DAILY,NODE1 NODE2\n" + line, {}, {"NODE1"}},
      {"the run replaces a list set before", Header() + line, {"OLD"}, {"NODE1"}},
      {"empty node column", Header() + "STANDARD,DAILY,\n", {"OLD"}, {}},
      {"other schedule", Header() + "STANDARD,WEEKLY,NODE1\n", {"OLD"}, {"OLD"}},
      {"domain compares exactly", Header() + "standard,DAILY,NODE1\n", {}, {}},
      {"schedule compares exactly", Header() + "STANDARD,daily,NODE1\n", {}, {}},
      {"four columns", Header() + "STANDARD,DAILY,NODE1,X\n", {}, {}},
      {"two columns", Header() + "STANDARD,DAILY\n", {}, {}},
      {"doubled and trailing blanks", Header() + "STANDARD,DAILY,NODE1  NODE2 \n", {}, {"NODE1", "NODE2"}},
      {"quoted node name", Header() + "STANDARD,DAILY,\"\"\"NODE A\"\" NODE2\"\n", {}, {"NODE A", "NODE2"}},
      {"quoted domain and schedule", Header() + "\"STANDARD\",\"DAILY\",NODE1\n", {}, {"NODE1"}},
      {"header lines are never data", line + line + line + line, {}, {}},
      {"no output file", "", {"OLD"}, {"OLD"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.file);
    testsupport::TempDir dir;
    testsupport::ScopedExistingFiles files(true, dir.path() + "/");
    if (!c.file.empty()) testsupport::WriteFile(dir.file("ixr_assoc.txt"), c.file);
    CTSMAssoc assoc;
    Configure(&assoc, "STANDARD", "DAILY");
    CTSMSchedule record;
    record.setClientList(c.before);
    EXPECT_EQ(assoc.FetchData(&record), !c.file.empty());
    EXPECT_EQ(record.getClientList(), c.after);
  }
}

// A single quote would end the quoted live query early: nothing runs and
// the query fails, saying why. Replayed output is only matched against the
// names, so a quote is harmless there.
TEST(CTSMAssocTest, SingleQuoteRefusedInLiveRunsOnly) {
  const struct {
    const char* domain;
    const char* schedule;
    bool replay;
  } cases[] = {
      {"STAND'ARD", "DAILY", false}, {"STANDARD", "DAILY' NODE9 '", false}, {"STANDARD", "IT'S", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.domain) + " / " + c.schedule);
    testsupport::TempDir dir;
    testsupport::ScopedChdir cwd(dir.path());
    testsupport::ScopedExistingFiles files(c.replay, c.replay ? dir.path() + "/" : "");
    const std::string output = Header() + testsupport::CsvLine({c.domain, c.schedule, "NODE1"}) + "\n";
    testsupport::WriteFile(dir.file("ixr_assoc.txt"), output);
    testsupport::FakeDsmadmc fake;
    fake.On("query", output);
    testsupport::LogCapture log;
    CTSMAssoc assoc;
    Configure(&assoc, c.domain, c.schedule);
    EXPECT_FALSE(assoc.HasQuotableNames());
    EXPECT_EQ(assoc._GetCommandLine(), "*_s?k?i?p_*");
    CTSMSchedule record;
    EXPECT_EQ(assoc.FetchData(&record), c.replay);
    EXPECT_TRUE(fake.runs().empty());
    EXPECT_EQ(record.getClientList(), c.replay ? Strings{"NODE1"} : Strings{});
    EXPECT_EQ(log.text().find("Refusing association query") == std::string::npos, c.replay);
  }
}

TEST(CTSMAssocTest, CommandLine) {
  const struct {
    bool existing;
    const char* binaryPath;
    const char* domain;
    const char* schedule;
    const char* expected;
  } cases[] = {
      {false, "/opt/tsm/bin/", "STANDARD", "DAILY",
       "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=pw -outfile=ixr_assoc.txt"
       " -dateformat=1 -comma 'query association STANDARD DAILY'"},
      {false, "", "ENG_DOM", "NIGHTLY-1",
       "\"dsmadmc\" -id=admin -password=pw -outfile=ixr_assoc.txt"
       " -dateformat=1 -comma 'query association ENG_DOM NIGHTLY-1'"},
      {true, "/opt/tsm/bin/", "STANDARD", "DAILY", "*_s?k?i?p_*"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testsupport::ScopedExistingFiles files(c.existing, "/saved/");
    CTSMAssoc assoc;
    assoc.set_BinaryPath(c.binaryPath, false);
    Configure(&assoc, c.domain, c.schedule);
    EXPECT_EQ(assoc._GetCommandLine(), c.expected);
    EXPECT_EQ(assoc.GetOutputFileName(), "ixr_assoc.txt");
  }
}

}  // namespace
