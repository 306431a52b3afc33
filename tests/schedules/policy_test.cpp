// The full schedule query: both column layouts, enhanced lists, the action
// filter, one association query per schedule and the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/CommandStats.h"
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
  Strings names;
  std::string log;
  std::string commandLine;
};

// Runs the query in a fresh working directory. Without `fake` the saved
// `sched` and `assoc` files are replayed (an empty one is not written);
// with it the fake dsmadmc answers the schedule query with `sched` and
// association queries by the caller's rules.
Result Fetch(const std::string& sched, const std::string& assoc, FakeDsmadmc* fake = nullptr) {
  testsupport::Workspace w(fake == nullptr);
  if (fake != nullptr) {  // the caller's dsmadmc in place of the workspace's
    CForeignCmdExecBase::SetProcessLauncher(fake);
    fake->On("query schedule", sched);
  }
  if (fake == nullptr) w.Save("ixr_sched.txt", sched), w.Save("ixr_assoc.txt", assoc);
  CTSMPolicy policy;
  policy.set_BinaryPath("/opt/tsm", false);
  policy.SetLogin("admin");
  policy.SetPassword(kPassword);
  policy.set_JobId(31);
  Result result;
  result.ok = policy.FetchData(&result.records);
  for (const auto& r : result.records) result.names.push_back(r.getSchedName());
  result.log = w.log.text();
  result.commandLine = policy._GetCommandLine();
  return result;
}

TEST(CTSMPolicyTest, ReadsBothLayoutsAndEnhancedLists) {
  const std::string fields =
      "STANDARD|DAILY|Nightly, all|Incremental|5|03/14/2026 21:00:00|12/31/2026 23:59:59|1 Day|Mon,Wed|";
  const std::string enhanced = "enhanced|/home;/data dir|Mon;Wed|Jan;Jul|1;15|First;Last|";
  // The style compares exactly: "ENHANCED" is not an enhanced schedule.
  for (const auto& [width, style, rest] : std::vector<std::tuple<Width, const char*, std::string>>{
           {k19, "Enhanced", enhanced},
           {k20, "Enhanced", enhanced},
           {k21, "Enhanced", enhanced},
           {k19, "ENHANCED", "classic|/home;/data dir|||||"}}) {
    const std::string line = ScheduleLine(width, {{kStyle, style}});
    SCOPED_TRACE(line);
    Result result = Fetch(kHeader + line + "\n" + ScheduleLine(k19, {{kName, "WEEKLY"}}) + "\n",
                          kHeader + "STANDARD,DAILY,NODE1 NODE2\nSTANDARD,WEEKLY,NODE3\n");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.commandLine, "*_s?k?i?p_*");
    ASSERT_EQ(result.records.size(), 2u);
    EXPECT_EQ(Describe(result.records[0]), fields + rest + "NODE1;NODE2");
    EXPECT_EQ(result.records[1].getClientList(), Strings{"NODE3"});  // each schedule its own nodes
  }
}

// The first four lines are never data (blank lines and line ends are the
// form A reader's, tested with it); only backup schedules of 19, 20 or 21
// columns give a record and an association query. A line that could be a
// backup schedule but has another count is an ERROR line and a failed
// fetch, never dropped unseen.
TEST(CTSMPolicyTest, KeepsBackupSchedulesOfKnownWidthOnlyAndStopsAtAFailingAssociation) {
  const std::string d = ScheduleLine(k19) + "\n";
  const std::string w = ScheduleLine(k20, {{kName, "WEEKLY"}}) + "\n";
  std::string mixed = kHeader;
  for (const char* name : {"INCREMENTAL", "Selective", "imagebackup", "Inc", "ARCHIVE", "Command", "Incr"}) {
    mixed += ScheduleLine(k20, {{kName, name}, {kAction, name}}) + "\n";
  }
  const std::string narrow = ScheduleLine(k19, {{kName, "NARROW"}});
  mixed += ScheduleLine(k21, {{kName, "NEWER"}}) + "\n";
  mixed += ScheduleLine(k21, {{kName, "WIDE"}}, {"X"}) + "\n" + narrow.substr(0, narrow.size() - 1) + "\n";
  mixed += "STANDARD,SHORT,desc,Incremental,,/home,5\nSTANDARD,SHORT,desc,Incremental,,/home\nSTANDARD\n,\n";
  // Line number and field count of each line no layout has.
  const std::vector<std::pair<int, int>> unread = {{13, 22}, {14, 18}, {15, 7}, {16, 6}, {17, 1}, {18, 2}};
  // A failing association query stops the parse; what was read stays.
  const std::string m = ScheduleLine(k19, {{kName, "MONTHLY"}}) + "\n";
  for (const auto& [file, ok, names, failing] : std::vector<std::tuple<std::string, bool, Strings, bool>>{
           {kHeader + d + w, true, {"DAILY", "WEEKLY"}, false},
           {d + d + d + d + w, true, {"WEEKLY"}, false},
           {"", false, {}, false},  // no output file
           {mixed, true, {"INCREMENTAL", "Selective", "imagebackup", "Inc", "NEWER"}, false},
           {kHeader + d + w + m, false, {"DAILY"}, true}}) {
    SCOPED_TRACE(file);
    FakeDsmadmc fake;
    CommandStats::Reset();
    if (file.empty()) fake.FailOn("query schedule", 0);
    if (failing) fake.FailOn("association STANDARD WEEKLY", 2);
    fake.On("query association", kHeader);
    Result result = Fetch(file, "", &fake);
    EXPECT_EQ(result.ok, ok);
    EXPECT_EQ(result.names, names);
    EXPECT_EQ(fake.CountCommands("query association"), names.size() + (failing ? 1 : 0));
    EXPECT_EQ(
        result.log.find("job=31 lvl=1 [CTSMPolicy::_ParseData] Unable to fetch client-policy association "
                        "for [WEEKLY]") != std::string::npos,
        failing);
    const bool isMixed = file == mixed;
    for (const auto& [line, fields] : unread) {
      const std::string error =
          "ixr_sched.txt] line " + std::to_string(line) + " holds " + std::to_string(fields) + " fields";
      EXPECT_EQ(result.log.find(error) != std::string::npos, isMixed) << error;
    }
    EXPECT_EQ(CommandStats::Snapshot()["sched"].failures, isMixed || failing || file.empty() ? 1 : 0);
  }
}

// The schedule query, then one association query per schedule (the query
// one argument), with the administrator's credentials, never logged.
TEST(CTSMPolicyTest, LiveRuns) {
  FakeDsmadmc fake;
  fake.On("query association STANDARD DAILY", kHeader + "STANDARD,DAILY,NODE1\n");
  Result result = Fetch(kHeader + ScheduleLine(k19) + "\n", "", &fake);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(
      fake.runs(),
      (std::vector<Strings>{{"/opt/tsm/dsmadmc", "-id=admin", "-password=s3cret!pw", "-outfile=ixr_sched.txt",
                             "-dateformat=1", "-comma", "query", "schedule", "format=detailed"},
                            {"/opt/tsm/dsmadmc", "-id=admin", "-password=s3cret!pw", "-outfile=ixr_assoc.txt",
                             "-dateformat=1", "-comma", "query association STANDARD DAILY"}}));
  EXPECT_EQ(result.log.find(kPassword), std::string::npos) << result.log;
  EXPECT_EQ(result.log.find("Running command ["), std::string::npos) << result.log;
}

}  // namespace
