// The association query: which lines fill the client list and names
// refused in live runs. (Its live command line is checked by the schedule
// query tests, its node list splitting by the splitting tests.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMAssoc.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using schedtest::kHeader;
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
  for (const auto& [file, before, after] : std::vector<std::tuple<std::string, Strings, Strings>>{
           {kHeader + "STANDARD,DAILY,NODE1 NODE2\n", {}, {"NODE1", "NODE2"}},
           // A later line replaces the list, and so does the run.
           {kHeader + "STANDARD,DAILY,NODE1 NODE2\n" + line, {}, {"NODE1"}},
           {kHeader + line, {"OLD"}, {"NODE1"}},
           {kHeader + "STANDARD,WEEKLY,NODE1\n", {"OLD"}, {"OLD"}},
           {kHeader + "standard,DAILY,NODE1\n", {}, {}},  // names compare exactly
           {kHeader + "STANDARD,daily,NODE1\n", {}, {}},
           {kHeader + "STANDARD,DAILY,NODE1,X\n", {}, {}},
           {kHeader + "STANDARD,DAILY\n", {}, {}},
           {line + line + line + line, {}, {}},  // the first four lines are never data
           {"", {"OLD"}, {"OLD"}}}) {            // no output file
    SCOPED_TRACE(file);
    testsupport::Workspace w(/*replay=*/true);
    w.Save("ixr_assoc.txt", file);
    CTSMAssoc assoc;
    Configure(&assoc, "STANDARD", "DAILY");
    CTSMSchedule record;
    record.setClientList(before);
    EXPECT_EQ(assoc.FetchData(&record), !file.empty());
    EXPECT_EQ(record.getClientList(), after);
  }
}

// A name must stay one word of the quoted live query (a single quote ends
// it early, a blank adds a word, a double quote or control character is
// dsmadmc's to read): nothing runs and the query fails, saying why.
// Replayed output is only matched against the names, so such a name is
// harmless there.
TEST(CTSMAssocTest, NameThatIsNoWordRefusedInLiveRunsOnly) {
  const std::vector<std::tuple<std::string, std::string, bool>> cases = {
      {"STAND'ARD", "DAILY", false},  {"STANDARD", "DAILY' NODE9 '", false}, {"STAND ARD", "DAILY", false},
      {"STANDARD", "DAI\"LY", false}, {"STANDARD", "DAI\tLY", false},        {"STANDARD", "IT'S", true}};
  for (const auto& [domain, schedule, replay] : cases) {
    SCOPED_TRACE(domain + " / " + schedule);
    testsupport::Workspace w(replay);
    const std::string output = kHeader + testsupport::CsvLine({domain, schedule, "NODE1"}) + "\n";
    w.Save("ixr_assoc.txt", output);
    w.fake.On("query", output);
    CTSMAssoc assoc;
    Configure(&assoc, domain, schedule);
    EXPECT_EQ(assoc._GetCommandLine(), "*_s?k?i?p_*");
    CTSMSchedule record;
    EXPECT_EQ(assoc.FetchData(&record), replay);
    EXPECT_TRUE(w.fake.runs().empty());
    EXPECT_EQ(record.getClientList(), replay ? Strings{"NODE1"} : Strings{});
    EXPECT_EQ(w.log.text().find("Refusing association query") == std::string::npos, replay);
  }
}

}  // namespace
