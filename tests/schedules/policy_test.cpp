// The schedule query: column layouts, action filter, association runs and
// the command line.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMPolicy.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using schedtest::CsvLine;
using schedtest::FakeDsmadmc;
using schedtest::FakeRun;
using schedtest::Header;
using schedtest::ScheduleRow;
using schedtest::ScopedExistingFiles;
using testsupport::TempDir;
using Strings = std::vector<std::string>;

const char kPassword[] = "s3cret!pw";

// Parses `schedFile` and `assocFile` as files gathered earlier.
bool ParseSaved(const std::string& schedFile, const std::string& assocFile, std::vector<CTSMSchedule>* out) {
  TempDir dir;
  ScopedExistingFiles files(true, dir.path() + "/");
  testsupport::WriteFile(dir.file("ixr_sched.txt"), schedFile);
  testsupport::WriteFile(dir.file("ixr_assoc.txt"), assocFile);
  CTSMPolicy policy;
  policy.SetLogin("admin");
  policy.SetPassword(kPassword);
  return policy.FetchData(out);
}

// A live run: the fake dsmadmc answers the schedule query with
// `schedFile` and each association query with the result of `assoc`.
struct LiveResult {
  bool ok = false;
  std::vector<CTSMSchedule> records;
  std::vector<Strings> runs;
  int assocQueries = 0;
  std::string log;
};

LiveResult RunLive(const std::string& schedFile, std::function<FakeRun(const std::string& query)> assoc) {
  TempDir dir;
  testsupport::ScopedChdir cwd(dir.path());
  ScopedExistingFiles files(false, "");
  FakeDsmadmc fake([&](const Strings& argv) {
    const std::string& query = argv.back();
    if (query.rfind("query association", 0) == 0) return assoc(query);
    return FakeRun{true, schedFile, 0};
  });
  testsupport::LogCapture log;
  LiveResult result;
  CTSMPolicy policy;
  policy.set_BinaryPath("/opt/tsm", false);
  policy.SetLogin("admin");
  policy.SetPassword(kPassword);
  result.ok = policy.FetchData(&result.records);
  result.runs = fake.runs();
  result.assocQueries = fake.CountQueries("query association");
  result.log = log.text();
  return result;
}

FakeRun NoNodes(const std::string&) { return FakeRun{true, Header(), 0}; }

struct Expected {
  std::string description;
  std::string subTaskType;
  Strings objects;
  std::string priority;
  std::string start;
  std::string end;
  std::string period;
  std::string dayOfWeek;
  bool enhanced;
  Strings daysOfWeek, months, daysOfMonth, weeksOfMonth;
};

struct LayoutCase {
  const char* name;
  ScheduleRow row;
  Expected expected;
};

ScheduleRow Classic(bool twenty) {
  ScheduleRow row;
  row.objects = "/home \"/data dir\"";
  row.expiration = "12/31/2026 23:59:59";
  row.twentyColumns = twenty;
  return row;
}

ScheduleRow Enhanced(bool twenty, const std::string& style) {
  ScheduleRow row = Classic(twenty);
  row.style = style;
  row.period = "";
  row.dayOfWeek = "Mon,Wed";
  row.months = "Jan,Jul";
  row.daysOfMonth = "1,15";
  row.weeksOfMonth = "First,Last";
  row.expiration = "";
  return row;
}

ScheduleRow WithAction(const std::string& action) {
  ScheduleRow row = Classic(true);
  row.action = action;
  row.description = "Copy, then verify";
  return row;
}

const Expected kClassic = {"Nightly incremental",
                           "Incremental",
                           {"/home", "/data dir"},
                           "5",
                           "03/14/2026 21:00:00",
                           "12/31/2026 23:59:59",
                           "1 Day",
                           "Any",
                           false,
                           {},
                           {},
                           {},
                           {}};

Expected EnhancedExpected() {
  Expected e = kClassic;
  e.end = "";
  e.period = "";
  e.dayOfWeek = "Mon,Wed";
  e.enhanced = true;
  e.daysOfWeek = {"Mon", "Wed"};
  e.months = {"Jan", "Jul"};
  e.daysOfMonth = {"1", "15"};
  e.weeksOfMonth = {"First", "Last"};
  return e;
}

Expected NotEnhanced() {
  Expected e = EnhancedExpected();
  e.enhanced = false;
  e.daysOfWeek = e.months = e.daysOfMonth = e.weeksOfMonth = {};
  return e;
}

Expected ForAction(const std::string& action) {
  Expected e = kClassic;
  e.subTaskType = action;
  e.description = "Copy, then verify";
  return e;
}

TEST(CTSMPolicyTest, ReadsBothLayouts) {
  const LayoutCase cases[] = {
      {"classic, 19 columns", Classic(false), kClassic},
      {"classic, 20 columns", Classic(true), kClassic},
      {"enhanced, 19 columns", Enhanced(false, "Enhanced"), EnhancedExpected()},
      {"enhanced, 20 columns", Enhanced(true, "Enhanced"), EnhancedExpected()},
      {"ENHANCED is not the enhanced style", Enhanced(false, "ENHANCED"), NotEnhanced()},
      {"INCREMENTAL in capitals", WithAction("INCREMENTAL"), ForAction("INCREMENTAL")},
      {"Selective", WithAction("Selective"), ForAction("Selective")},
      {"imagebackup", WithAction("imagebackup"), ForAction("imagebackup")},
      {"Inc", WithAction("Inc"), ForAction("Inc")},
  };
  for (const LayoutCase& c : cases) {
    const std::string line = c.row.Line();
    SCOPED_TRACE(std::string(c.name) + ": " + line);
    std::vector<CTSMSchedule> records;
    ASSERT_TRUE(ParseSaved(Header() + line + "\n", Header(), &records));
    ASSERT_EQ(records.size(), 1u);
    const CTSMSchedule& r = records[0];
    const Expected& e = c.expected;
    EXPECT_EQ(r.getPolicyDomain(), "STANDARD");
    EXPECT_EQ(r.getSchedName(), "DAILY");
    EXPECT_EQ(r.SchedDesc, e.description);
    EXPECT_EQ(r.SubTaskType, e.subTaskType);
    EXPECT_EQ(r.getObjects(), e.objects);
    EXPECT_EQ(r.getPriority(), e.priority);
    EXPECT_EQ(r.getStartTime(), e.start);
    EXPECT_EQ(r.getEndTime(), e.end);
    EXPECT_EQ(r.Period, e.period);
    EXPECT_EQ(r.DayofWeek, e.dayOfWeek);
    EXPECT_EQ(r.getEnhancedSchedule(), e.enhanced);
    EXPECT_EQ(r.getDaysOfWeek(), e.daysOfWeek);
    EXPECT_EQ(r.getMonths(), e.months);
    EXPECT_EQ(r.getDaysOfMonth(), e.daysOfMonth);
    EXPECT_EQ(r.getWeeksOfMonth(), e.weeksOfMonth);
    EXPECT_TRUE(r.getClientList().empty());
  }
}

// Lines that are not backup schedules of a known width give no record and
// start no association query.
TEST(CTSMPolicyTest, IgnoresOtherActionsAndWidths) {
  ScheduleRow archive = Classic(true);
  archive.action = "ARCHIVE";
  ScheduleRow command = Classic(false);
  command.action = "Command";
  ScheduleRow wide = Classic(true);
  wide.extra = {"X"};
  Strings narrowFields = Classic(false).Fields();
  narrowFields.pop_back();
  const struct {
    const char* name;
    std::string line;
  } cases[] = {
      {"ARCHIVE", archive.Line()},
      {"Command", command.Line()},
      {"21 columns", wide.Line()},
      {"18 columns", CsvLine(narrowFields)},
      {"7 columns with a backup action", "STANDARD,DAILY,desc,Incremental,,/home,5"},
      {"6 columns", "STANDARD,DAILY,desc,Incremental,,/home"},
      {"one column", "STANDARD"},
      {"a lone comma", ","},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.line);
    LiveResult result = RunLive(Header() + c.line + "\n", NoNodes);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.records.empty());
    EXPECT_EQ(result.assocQueries, 0);
    EXPECT_EQ(result.runs.size(), 1u);
  }
}

TEST(CTSMPolicyTest, FileStructure) {
  ScheduleRow daily = Classic(false);
  ScheduleRow weekly = Classic(true);
  weekly.name = "WEEKLY";
  const std::string d = daily.Line() + "\n";
  const std::string w = weekly.Line() + "\n";
  const struct {
    const char* name;
    std::string file;
    Strings names;
  } cases[] = {
      {"headed output", Header() + d + w, {"DAILY", "WEEKLY"}},
      {"first four lines dropped whatever they hold", d + d + d + d + w, {"WEEKLY"}},
      {"blank line ends the data", Header() + d + "\n" + w, {"DAILY"}},
      {"carriage return line ends", Header() + daily.Line() + "\r\n" + weekly.Line(), {"DAILY", "WEEKLY"}},
      {"header only", Header(), {}},
      {"empty file", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<CTSMSchedule> records;
    EXPECT_TRUE(ParseSaved(c.file, Header(), &records));
    Strings names;
    for (const auto& r : records) names.push_back(r.getSchedName());
    EXPECT_EQ(names, c.names);
  }
}

TEST(CTSMPolicyTest, MissingOutputFileFails) {
  TempDir dir;
  ScopedExistingFiles files(true, dir.path() + "/");
  testsupport::LogCapture log;
  std::vector<CTSMSchedule> records;
  CTSMPolicy policy;
  EXPECT_FALSE(policy.FetchData(&records));
  EXPECT_TRUE(records.empty());
  EXPECT_NE(log.text().find("Unable to open file [" + dir.path() + "/ixr_sched.txt]"), std::string::npos);
}

TEST(CTSMPolicyTest, EachScheduleGetsItsAssociatedNodes) {
  ScheduleRow daily = Classic(false);
  ScheduleRow weekly = Classic(true);
  weekly.name = "WEEKLY";
  LiveResult result =
      RunLive(Header() + daily.Line() + "\n" + weekly.Line() + "\n", [](const std::string& query) {
        if (query == "query association STANDARD DAILY") {
          return FakeRun{true, Header() + "STANDARD,DAILY,NODE1 NODE2\n", 0};
        }
        return FakeRun{true, Header() + "STANDARD,WEEKLY,NODE3\n", 0};
      });
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.records.size(), 2u);
  EXPECT_EQ(result.records[0].getClientList(), (Strings{"NODE1", "NODE2"}));
  EXPECT_EQ(result.records[1].getClientList(), (Strings{"NODE3"}));
  // The schedule query first, then one association query per schedule, all
  // with the administrator's credentials.
  ASSERT_EQ(result.runs.size(), 3u);
  EXPECT_EQ(Strings(result.runs[0].end() - 3, result.runs[0].end()),
            (Strings{"query", "schedule", "format=detailed"}));
  EXPECT_EQ(result.runs[1].back(), "query association STANDARD DAILY");
  EXPECT_EQ(result.runs[2].back(), "query association STANDARD WEEKLY");
  for (const Strings& argv : result.runs) {
    EXPECT_EQ(argv[0], "/opt/tsm/dsmadmc");
    EXPECT_EQ(argv[2], std::string("-password=") + kPassword);
  }
  // Command lines carry the password and are never logged.
  EXPECT_EQ(result.log.find(kPassword), std::string::npos) << result.log;
  EXPECT_EQ(result.log.find("Running command ["), std::string::npos) << result.log;
}

// A failing association query stops the parse; what was read stays.
TEST(CTSMPolicyTest, FailingAssociationStopsTheParse) {
  ScheduleRow daily = Classic(false);
  ScheduleRow weekly = daily;
  weekly.name = "WEEKLY";
  ScheduleRow monthly = daily;
  monthly.name = "MONTHLY";
  ScheduleRow quoted = daily;
  quoted.name = "IT'S";
  const struct {
    const char* name;
    ScheduleRow second;
    FakeRun secondAssoc;
    int assocQueries;
  } cases[] = {
      {"exit status 2", weekly, FakeRun{true, Header(), 2}, 2},
      {"no output file", weekly, FakeRun{false, "", 0}, 2},
      {"quote in the schedule name", quoted, FakeRun{true, Header(), 0}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Header() + daily.Line() + "\n" + c.second.Line() + "\n" + monthly.Line() + "\n";
    LiveResult result = RunLive(file, [&](const std::string& query) {
      return query == "query association STANDARD DAILY" ? FakeRun{true, Header(), 0} : c.secondAssoc;
    });
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.records.size(), 1u);
    EXPECT_EQ(result.records[0].getSchedName(), "DAILY");
    EXPECT_EQ(result.assocQueries, c.assocQueries);
    EXPECT_NE(result.log.find("Unable to fetch client-policy association for [" + c.second.name + "]"),
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
    ScopedExistingFiles files(c.existing, "/saved/");
    CTSMPolicy policy;
    policy.set_BinaryPath(c.binaryPath, false);
    policy.SetLogin("admin");
    policy.SetPassword("pw");
    EXPECT_EQ(policy._GetCommandLine(), c.expected);
    EXPECT_EQ(policy.GetOutputFile(), "ixr_sched.txt");
  }
}

}  // namespace
