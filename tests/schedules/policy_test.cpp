// The full schedule query: both column layouts, enhanced lists, the action
// filter, one association query per schedule and the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMPolicy.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace schedtest;
using testsupport::FakeDsmadmc;
using Strings = std::vector<std::string>;

const char kPassword[] = "s3cret!pw";

struct Result {
  bool ok = false;
  std::vector<CTSMSchedule> records;
  std::string log;
};

// Runs the query in a fresh working directory. Without `fake` the saved
// `sched` and `assoc` files are replayed (an empty one is not written);
// with it the fake dsmadmc answers the schedule query with `sched` and
// association queries by the caller's rules.
Result Fetch(const std::string& sched, const std::string& assoc, FakeDsmadmc* fake = nullptr) {
  testsupport::TempDir dir;
  testsupport::ScopedChdir cwd(dir.path());
  testsupport::ScopedExistingFiles files(fake == nullptr, fake ? "" : dir.path() + "/");
  if (fake != nullptr) fake->On("query schedule", sched);
  if (fake == nullptr && !sched.empty()) testsupport::WriteFile(dir.file("ixr_sched.txt"), sched);
  if (fake == nullptr && !assoc.empty()) testsupport::WriteFile(dir.file("ixr_assoc.txt"), assoc);
  testsupport::LogCapture log;
  CTSMPolicy policy;
  policy.set_BinaryPath("/opt/tsm", false);
  policy.SetLogin("admin");
  policy.SetPassword(kPassword);
  Result result;
  result.ok = policy.FetchData(&result.records);
  result.log = log.text();
  return result;
}

Strings Names(const std::vector<CTSMSchedule>& records) {
  Strings names;
  for (const auto& r : records) names.push_back(r.getSchedName());
  return names;
}

TEST(CTSMPolicyTest, ReadsBothLayoutsAndEnhancedLists) {
  const struct {
    bool twenty;
    const char* style;
    bool enhanced;
  } cases[] = {{false, "Classic", false},
               {true, "Classic", false},
               {false, "Enhanced", true},
               {true, "Enhanced", true},
               {true, "ENHANCED", false}};  // the style compares exactly
  for (const auto& c : cases) {
    const std::string line = ScheduleLine(c.twenty, {{kDescription, "Nightly, all"},
                                                     {kObjects, "/home \"/data dir\""},
                                                     {kStyle, c.style},
                                                     {kDayOfWeek, "Mon,Wed"},
                                                     {kMonths, "Jan,Jul"},
                                                     {kDaysOfMonth, "1,15"},
                                                     {kWeeksOfMonth, "First,Last"}});
    SCOPED_TRACE(line);
    Result result = Fetch(Header() + line + "\n", Header());
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.records.size(), 1u);
    const CTSMSchedule& s = result.records[0];
    EXPECT_EQ(s.getPolicyDomain(), "STANDARD");
    EXPECT_EQ(s.getSchedName(), "DAILY");
    EXPECT_EQ(s.SchedDesc, "Nightly, all");
    EXPECT_EQ(s.SubTaskType, "Incremental");
    EXPECT_EQ(s.getObjects(), (Strings{"/home", "/data dir"}));
    EXPECT_EQ(s.getPriority(), "5");
    EXPECT_EQ(s.getStartTime(), "03/14/2026 21:00:00");
    EXPECT_EQ(s.getEndTime(), "12/31/2026 23:59:59");
    EXPECT_EQ(s.Period, "1 Day");
    EXPECT_EQ(s.DayofWeek, "Mon,Wed");
    EXPECT_EQ(s.getEnhancedSchedule(), c.enhanced);
    auto list = [&](const Strings& values) { return c.enhanced ? values : Strings{}; };
    EXPECT_EQ(s.getDaysOfWeek(), list({"Mon", "Wed"}));
    EXPECT_EQ(s.getMonths(), list({"Jan", "Jul"}));
    EXPECT_EQ(s.getDaysOfMonth(), list({"1", "15"}));
    EXPECT_EQ(s.getWeeksOfMonth(), list({"First", "Last"}));
    EXPECT_TRUE(s.getClientList().empty());
  }
}

// Only backup schedules of 19 or 20 columns give a record and an
// association query.
TEST(CTSMPolicyTest, KeepsBackupSchedulesOfKnownWidthOnly) {
  std::string file = Header();
  for (const char* action :
       {"INCREMENTAL", "Selective", "imagebackup", "Inc", "ARCHIVE", "Command", "Incr"}) {
    file += ScheduleLine(true, {{kName, action}, {kAction, action}}) + "\n";
  }
  std::string narrow = ScheduleLine(false, {{kName, "NARROW"}});
  narrow.pop_back();  // 18 columns
  file += ScheduleLine(true, {{kName, "WIDE"}}, {"X"}) + "\n" + narrow + "\n";
  file += "STANDARD,SHORT,desc,Incremental,,/home,5\nSTANDARD,SHORT,desc,Incremental,,/home\nSTANDARD\n,\n";
  FakeDsmadmc fake;
  fake.On("query association", Header());
  Result result = Fetch(file, "", &fake);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(Names(result.records), (Strings{"INCREMENTAL", "Selective", "imagebackup", "Inc"}));
  EXPECT_EQ(fake.CountCommands("query association"), 4u);
  EXPECT_EQ(fake.commands().size(), 5u);
}

TEST(CTSMPolicyTest, FileStructure) {
  const std::string d = ScheduleLine(false) + "\n";
  const std::string w = ScheduleLine(true, {{kName, "WEEKLY"}}) + "\n";
  const struct {
    const char* name;
    std::string file;
    bool ok;
    Strings names;
  } cases[] = {
      {"headed output", Header() + d + w, true, {"DAILY", "WEEKLY"}},
      {"first four lines dropped whatever they hold", d + d + d + d + w, true, {"WEEKLY"}},
      {"blank line ends the data", Header() + d + "\n" + w, true, {"DAILY"}},
      {"carriage return line ends", Header() + ScheduleLine(false) + "\r\n" + w, true, {"DAILY", "WEEKLY"}},
      {"header only", Header(), true, {}},
      {"no output file", "", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Result result = Fetch(c.file, Header());
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(Names(result.records), c.names);
  }
}

TEST(CTSMPolicyTest, EachScheduleGetsItsAssociatedNodes) {
  FakeDsmadmc fake;
  fake.On("query association STANDARD DAILY", Header() + "STANDARD,DAILY,NODE1 NODE2\n");
  fake.On("query association STANDARD WEEKLY", Header() + "STANDARD,WEEKLY,NODE3\n");
  Result result = Fetch(
      Header() + ScheduleLine(false) + "\n" + ScheduleLine(true, {{kName, "WEEKLY"}}) + "\n", "", &fake);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.records.size(), 2u);
  EXPECT_EQ(result.records[0].getClientList(), (Strings{"NODE1", "NODE2"}));
  EXPECT_EQ(result.records[1].getClientList(), (Strings{"NODE3"}));
  // The schedule query first, then one association query per schedule
  // (the query one argument), all with the administrator's credentials.
  const auto& runs = fake.runs();
  ASSERT_EQ(runs.size(), 3u);
  const std::string password = std::string("-password=") + kPassword;
  EXPECT_EQ(runs[0], (Strings{"/opt/tsm/dsmadmc", "-id=admin", password, "-outfile=ixr_sched.txt",
                              "-dateformat=1", "-comma", "query", "schedule", "format=detailed"}));
  EXPECT_EQ(runs[1], (Strings{"/opt/tsm/dsmadmc", "-id=admin", password, "-outfile=ixr_assoc.txt",
                              "-dateformat=1", "-comma", "query association STANDARD DAILY"}));
  EXPECT_EQ(runs[2].back(), "query association STANDARD WEEKLY");
  // Command lines carry the password and are never logged.
  EXPECT_EQ(result.log.find(kPassword), std::string::npos) << result.log;
  EXPECT_EQ(result.log.find("Running command ["), std::string::npos) << result.log;
}

// A failing association query stops the parse; what was read stays.
TEST(CTSMPolicyTest, FailingAssociationStopsTheParse) {
  const struct {
    const char* second;  // the failing schedule
    bool writes;
    int status;
    size_t assocQueries;
  } cases[] = {{"WEEKLY", true, 2, 2}, {"WEEKLY", false, 0, 2}, {"IT'S", true, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.second) + " status " + std::to_string(c.status) +
                 (c.writes ? "" : ", no file"));
    FakeDsmadmc fake;
    fake.On("STANDARD DAILY", Header());
    if (c.writes) {
      fake.On("query association", Header(), c.status);
    } else {
      fake.FailOn("query association", c.status);
    }
    Result result = Fetch(Header() + ScheduleLine(false) + "\n" + ScheduleLine(false, {{kName, c.second}}) +
                              "\n" + ScheduleLine(false, {{kName, "MONTHLY"}}) + "\n",
                          "", &fake);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(Names(result.records), Strings{"DAILY"});
    EXPECT_EQ(fake.CountCommands("query association"), c.assocQueries);
    EXPECT_NE(
        result.log.find(std::string("Unable to fetch client-policy association for [") + c.second + "]"),
        std::string::npos);
  }
}

TEST(CTSMPolicyTest, CommandLine) {
  const struct {
    bool existing;
    const char* binaryPath;
    const char* expected;
  } cases[] = {
      {false, "/opt/tsm/bin",
       "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=pw -outfile=ixr_sched.txt"
       " -dateformat=1 -comma query schedule format=detailed"},
      {false, "",
       "\"dsmadmc\" -id=admin -password=pw -outfile=ixr_sched.txt"
       " -dateformat=1 -comma query schedule format=detailed"},
      {true, "/opt/tsm/bin", "*_s?k?i?p_*"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testsupport::ScopedExistingFiles files(c.existing, "/saved/");
    CTSMPolicy policy;
    policy.set_BinaryPath(c.binaryPath, false);
    policy.SetLogin("admin");
    policy.SetPassword("pw");
    EXPECT_EQ(policy._GetCommandLine(), c.expected);
    EXPECT_EQ(policy.GetOutputFile(), "ixr_sched.txt");
  }
}

}  // namespace
