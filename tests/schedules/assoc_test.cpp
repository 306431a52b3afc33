// The association query: which lines fill the client list, refused names
// and the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMAssoc.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using schedtest::FakeDsmadmc;
using schedtest::FakeRun;
using schedtest::Header;
using schedtest::ScopedExistingFiles;
using testsupport::TempDir;
using Strings = std::vector<std::string>;

void Configure(CTSMAssoc* assoc, const std::string& domain, const std::string& schedule) {
  assoc->SetPolicyDomain(domain);
  assoc->SetPolicyName(schedule);
  assoc->SetLogin("admin");
  assoc->SetPassword("pw");
}

TEST(CTSMAssocTest, FillsTheClientListFromMatchingLines) {
  const struct {
    const char* name;
    std::string data;  // after the header
    Strings before;    // the record's list before the run
    Strings after;
  } cases[] = {
      {"one line", "STANDARD,DAILY,NODE1 NODE2\n", {}, {"NODE1", "NODE2"}},
      {"a later line replaces the list", "STANDARD,DAILY,NODE1 NODE2\nSTANDARD,DAILY,NODE3\n", {}, {"NODE3"}},
      {"the run replaces a list set before", "STANDARD,DAILY,NODE1\n", {"OLD"}, {"NODE1"}},
      {"domain compares exactly", "standard,DAILY,NODE1\n", {}, {}},
      {"schedule compares exactly", "STANDARD,daily,NODE1\n", {}, {}},
      {"other schedule", "STANDARD,WEEKLY,NODE1\n", {"OLD"}, {"OLD"}},
      {"four columns", "STANDARD,DAILY,NODE1,X\n", {}, {}},
      {"two columns", "STANDARD,DAILY\n", {}, {}},
      {"empty node column", "STANDARD,DAILY,\n", {"OLD"}, {}},
      {"doubled and trailing blanks", "STANDARD,DAILY,NODE1  NODE2 \n", {}, {"NODE1", "NODE2"}},
      {"quoted node name", "STANDARD,DAILY,\"\"\"NODE A\"\" NODE2\"\n", {}, {"NODE A", "NODE2"}},
      {"quoted domain and schedule", "\"STANDARD\",\"DAILY\",NODE1\n", {}, {"NODE1"}},
      {"blank line ends the data", "STANDARD,DAILY,NODE1\n\nSTANDARD,DAILY,NODE2\n", {}, {"NODE1"}},
      {"carriage returns", "STANDARD,DAILY,NODE1\r\nSTANDARD,DAILY,NODE2\r\n", {}, {"NODE2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.data);
    TempDir dir;
    ScopedExistingFiles files(true, dir.path() + "/");
    testsupport::WriteFile(dir.file("ixr_assoc.txt"), Header() + c.data);
    CTSMAssoc assoc;
    Configure(&assoc, "STANDARD", "DAILY");
    CTSMSchedule record;
    record.setClientList(c.before);
    EXPECT_TRUE(assoc.FetchData(&record));
    EXPECT_EQ(record.getClientList(), c.after);
  }
}

TEST(CTSMAssocTest, HeaderLinesAreNeverData) {
  TempDir dir;
  ScopedExistingFiles files(true, dir.path() + "/");
  const std::string line = "STANDARD,DAILY,NODE1\n";
  testsupport::WriteFile(dir.file("ixr_assoc.txt"), line + line + line + line);
  CTSMAssoc assoc;
  Configure(&assoc, "STANDARD", "DAILY");
  CTSMSchedule record;
  EXPECT_TRUE(assoc.FetchData(&record));
  EXPECT_TRUE(record.getClientList().empty());
}

TEST(CTSMAssocTest, MissingOutputFileFails) {
  TempDir dir;
  ScopedExistingFiles files(true, dir.path() + "/");
  testsupport::LogCapture log;
  CTSMAssoc assoc;
  Configure(&assoc, "STANDARD", "DAILY");
  CTSMSchedule record;
  EXPECT_FALSE(assoc.FetchData(&record));
  EXPECT_NE(log.text().find("Unable to open file [" + dir.path() + "/ixr_assoc.txt]"), std::string::npos);
}

// A single quote would end the quoted query early: nothing runs, the
// query fails and says why.
TEST(CTSMAssocTest, RefusesNamesWithSingleQuotes) {
  const struct {
    const char* domain;
    const char* schedule;
  } cases[] = {{"STAND'ARD", "DAILY"}, {"STANDARD", "DAILY' NODE9 '"}, {"'", "'"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.domain) + " / " + c.schedule);
    TempDir dir;
    testsupport::ScopedChdir cwd(dir.path());
    ScopedExistingFiles files(false, "");
    FakeDsmadmc fake([](const Strings&) { return FakeRun{true, Header() + "STANDARD,DAILY,NODE1\n", 0}; });
    testsupport::LogCapture log;
    CTSMAssoc assoc;
    Configure(&assoc, c.domain, c.schedule);
    EXPECT_FALSE(assoc.HasQuotableNames());
    EXPECT_EQ(assoc._GetCommandLine(), "*_s?k?i?p_*");
    CTSMSchedule record;
    EXPECT_FALSE(assoc.FetchData(&record));
    EXPECT_TRUE(fake.runs().empty());
    EXPECT_TRUE(record.getClientList().empty());
    EXPECT_NE(log.text().find("Refusing association query"), std::string::npos);
  }
}

// Replayed output is matched against the names; nothing runs, so a quote
// is harmless there.
TEST(CTSMAssocTest, ReplayAcceptsNamesWithSingleQuotes) {
  TempDir dir;
  ScopedExistingFiles files(true, dir.path() + "/");
  testsupport::WriteFile(dir.file("ixr_assoc.txt"), Header() + "STANDARD,IT'S,NODE1\n");
  CTSMAssoc assoc;
  Configure(&assoc, "STANDARD", "IT'S");
  CTSMSchedule record;
  EXPECT_TRUE(assoc.FetchData(&record));
  EXPECT_EQ(record.getClientList(), Strings{"NODE1"});
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
    ScopedExistingFiles files(c.existing, "/saved/");
    CTSMAssoc assoc;
    assoc.set_BinaryPath(c.binaryPath, false);
    Configure(&assoc, c.domain, c.schedule);
    EXPECT_EQ(assoc._GetCommandLine(), c.expected);
    EXPECT_EQ(assoc.GetOutputFileName(), "ixr_assoc.txt");
  }
}

// The query runs as one argument; its output is read from the working
// directory, and the command line with the password is not logged.
TEST(CTSMAssocTest, LiveRun) {
  TempDir dir;
  testsupport::ScopedChdir cwd(dir.path());
  ScopedExistingFiles files(false, "");
  FakeDsmadmc fake([](const Strings&) { return FakeRun{true, Header() + "STANDARD,DAILY,NODE1\n", 0}; });
  testsupport::LogCapture log;
  CTSMAssoc assoc;
  assoc.set_BinaryPath("/opt/tsm", false);
  Configure(&assoc, "STANDARD", "DAILY");
  CTSMSchedule record;
  ASSERT_TRUE(assoc.FetchData(&record));
  EXPECT_EQ(record.getClientList(), Strings{"NODE1"});
  ASSERT_EQ(fake.runs().size(), 1u);
  EXPECT_EQ(fake.runs()[0],
            (Strings{"/opt/tsm/dsmadmc", "-id=admin", "-password=pw", "-outfile=ixr_assoc.txt",
                     "-dateformat=1", "-comma", "query association STANDARD DAILY"}));
  EXPECT_EQ(log.text().find("-password="), std::string::npos) << log.text();
}

}  // namespace
