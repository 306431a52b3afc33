// The association query: which lines fill the client list, names refused
// in live runs and the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMAssoc.h"
#include "tests/schedules/ScheduleTestSupport.h"

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
  const std::string h = Header();
  const std::string line = "STANDARD,DAILY,NODE1\n";
  for (const auto& [file, before, after] : std::vector<std::tuple<std::string, Strings, Strings>>{
           {h + "STANDARD,DAILY,NODE1 NODE2\n", {}, {"NODE1", "NODE2"}},
           {h + "STANDARD,DAILY,NODE1 NODE2\n" + line, {}, {"NODE1"}},  // a later line replaces the list
           {h + line, {"OLD"}, {"NODE1"}},                              // and so does the run
           {h + "STANDARD,DAILY,\n", {"OLD"}, {}},
           {h + "STANDARD,WEEKLY,NODE1\n", {"OLD"}, {"OLD"}},
           {h + "standard,DAILY,NODE1\n", {}, {}},  // names compare exactly
           {h + "STANDARD,daily,NODE1\n", {}, {}},
           {h + "STANDARD,DAILY,NODE1,X\n", {}, {}},
           {h + "STANDARD,DAILY\n", {}, {}},
           {h + "STANDARD,DAILY,NODE1  NODE2 \n", {}, {"NODE1", "NODE2"}},
           {h + "STANDARD,DAILY,\"\"\"NODE A\"\" NODE2\"\n", {}, {"NODE A", "NODE2"}},
           {h + "\"STANDARD\",\"DAILY\",NODE1\n", {}, {"NODE1"}},
           {line + line + line + line, {}, {}},  // the first four lines are never data
           {"", {"OLD"}, {"OLD"}}}) {            // no output file
    SCOPED_TRACE(file);
    testsupport::TempDir dir;
    testsupport::ScopedExistingFiles files(true, dir.path() + "/");
    if (!file.empty()) testsupport::WriteFile(dir.file("ixr_assoc.txt"), file);
    CTSMAssoc assoc;
    Configure(&assoc, "STANDARD", "DAILY");
    CTSMSchedule record;
    record.setClientList(before);
    EXPECT_EQ(assoc.FetchData(&record), !file.empty());
    EXPECT_EQ(record.getClientList(), after);
  }
}

// A single quote would end the quoted live query early: nothing runs and
// the query fails, saying why. Replayed output is only matched against the
// names, so a quote is harmless there.
TEST(CTSMAssocTest, SingleQuoteRefusedInLiveRunsOnly) {
  for (const auto& [domain, schedule, replay] :
       std::vector<std::tuple<std::string, std::string, bool>>{{"STAND'ARD", "DAILY", false},
                                                               {"STANDARD", "DAILY' NODE9 '", false},
                                                               {"STANDARD", "IT'S", true}}) {
    SCOPED_TRACE(domain + " / " + schedule);
    testsupport::TempDir dir;
    testsupport::ScopedChdir cwd(dir.path());
    testsupport::ScopedExistingFiles files(replay, replay ? dir.path() + "/" : "");
    const std::string output = Header() + testsupport::CsvLine({domain, schedule, "NODE1"}) + "\n";
    testsupport::WriteFile(dir.file("ixr_assoc.txt"), output);
    testsupport::FakeDsmadmc fake;
    fake.On("query", output);
    testsupport::LogCapture log;
    CTSMAssoc assoc;
    Configure(&assoc, domain, schedule);
    EXPECT_FALSE(assoc.HasQuotableNames());
    EXPECT_EQ(assoc._GetCommandLine(), "*_s?k?i?p_*");
    CTSMSchedule record;
    EXPECT_EQ(assoc.FetchData(&record), replay);
    EXPECT_TRUE(fake.runs().empty());
    EXPECT_EQ(record.getClientList(), replay ? Strings{"NODE1"} : Strings{});
    EXPECT_EQ(log.text().find("Refusing association query") == std::string::npos, replay);
  }
}

TEST(CTSMAssocTest, CommandLine) {
  CTSMAssoc assoc;
  Configure(&assoc, "ENG_DOM", "NIGHTLY-1");
  EXPECT_EQ(schedtest::LiveCommandLine(&assoc),
            "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=pw -outfile=ixr_assoc.txt"
            " -dateformat=1 -comma 'query association ENG_DOM NIGHTLY-1'");
}

}  // namespace
