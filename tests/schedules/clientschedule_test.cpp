// The per-node schedule query: live and replay column layouts, the replay
// association check, exit status 11 and the command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMSchedule.h"
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

const char kObjects[] = "/home,\"C:\\Program Files\\*\"";
const Strings kObjectList = {"/home", "C:\\Program Files\\*"};

// Fields of a schedule line: 19 (B) or 20 (A) columns plus `extra`, the
// last one replaced by `last` when given.
std::string Line(bool twenty, const Strings& extra, const char* last = nullptr) {
  ScheduleRow row;
  row.twentyColumns = twenty;
  row.objects = kObjects;
  row.extra = extra;
  Strings fields = row.Fields();
  if (last != nullptr) fields.back() = last;
  return CsvLine(fields);
}

struct Result {
  bool ok = false;
  std::vector<CTSMSchedule> schedules;
  int runs = 0;
  Strings lastArgv;
  std::string log;
};

// A live run for `node`: the fake dsmadmc writes `file` and exits with
// `status`.
Result RunLive(const std::string& node, const std::string& file, int status = 0) {
  TempDir dir;
  testsupport::ScopedChdir cwd(dir.path());
  ScopedExistingFiles files(false, "");
  FakeDsmadmc fake([&](const Strings&) { return FakeRun{true, file, status}; });
  testsupport::LogCapture log;
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName(node);
  fetcher.SetLogin("admin");
  fetcher.SetPassword("pw");
  Result result;
  result.ok = fetcher.FetchData(nullptr);
  result.schedules = *fetcher.getSchedules();
  result.runs = static_cast<int>(fake.runs().size());
  if (!fake.runs().empty()) result.lastArgv = fake.runs().back();
  result.log = log.text();
  return result;
}

// Replay of saved files for `node`; `assoc` is the saved association
// output (not written when null).
Result RunReplay(const std::string& node, const std::string& sched, const char* assoc) {
  TempDir dir;
  ScopedExistingFiles files(true, dir.path() + "/");
  testsupport::WriteFile(dir.file("ixr_sched.txt"), sched);
  if (assoc != nullptr) testsupport::WriteFile(dir.file("ixr_assoc.txt"), assoc);
  testsupport::LogCapture log;
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName(node);
  Result result;
  result.ok = fetcher.FetchData(nullptr);
  result.schedules = *fetcher.getSchedules();
  result.log = log.text();
  return result;
}

const char kAssocDaily[] = "STANDARD,DAILY,NODE1 NODE2\n";

struct LayoutCase {
  const char* name;
  std::string line;
  std::string priority;
  Strings objects;
};

// Layout A reads the 20-column line's columns 7 and 6, layout B the
// 19-column line's 6 and 5; other widths keep column 6 and no objects.
void CheckLayouts(bool replay, const LayoutCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const LayoutCase& c = cases[i];
    SCOPED_TRACE(std::string(replay ? "replay, " : "live, ") + c.name + ": " + c.line);
    const std::string file = Header() + c.line + "\n";
    Result result = replay ? RunReplay("NODE1", file, (std::string(Header()) + kAssocDaily).c_str())
                           : RunLive("NODE1", file);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.schedules.size(), 1u);
    const CTSMSchedule& s = result.schedules[0];
    EXPECT_EQ(s.getPolicyDomain(), "STANDARD");
    EXPECT_EQ(s.getSchedName(), "DAILY");
    EXPECT_EQ(s.SubTaskType, "Incremental");
    EXPECT_EQ(s.getPriority(), c.priority);
    EXPECT_EQ(s.getObjects(), c.objects);
    // Nothing else is read by this query.
    EXPECT_EQ(s.SchedDesc, "");
    EXPECT_EQ(s.getStartTime(), "");
    EXPECT_EQ(s.Period, "");
    EXPECT_TRUE(s.getClientList().empty());
  }
}

const Strings kNoObjects = {"\\"};

TEST(CTSMClientScheduleTest, LiveLayouts) {
  const LayoutCase cases[] = {
      {"21 fields", Line(true, {"X"}), "5", kObjectList},
      {"21 fields, the last empty", Line(true, {""}), "5", kObjectList},
      {"20 fields", Line(false, {"X"}), "5", kObjectList},
      {"20 fields, the last empty", Line(false, {""}), "5", kObjectList},
      // The 20-column line of the full query is layout B here.
      {"20-column line", Line(true, {}), kObjects, {"-subdir=yes"}},
      {"19 fields", Line(false, {}), "5", kNoObjects},
      {"22 fields", Line(true, {"X", "Y"}), kObjects, kNoObjects},
      {"7 fields", "STANDARD,DAILY,desc,Incremental,,/home,5", "5", kNoObjects},
  };
  CheckLayouts(false, cases, sizeof(cases) / sizeof(cases[0]));
}

// An 18-field backup schedule line.
std::string EighteenFields() {
  Strings fields(18, "5");
  fields[0] = "STANDARD";
  fields[1] = "DAILY";
  fields[3] = "Incremental";
  return CsvLine(fields);
}

TEST(CTSMClientScheduleTest, ReplayLayouts) {
  const LayoutCase cases[] = {
      {"20 fields, the last empty", Line(true, {}), "5", kObjectList},
      {"20 fields", Line(true, {}, "PROFILE"), "5", kObjectList},
      {"19 fields, the last empty", Line(false, {}), "5", kObjectList},
      {"19 fields", Line(false, {}, "PROFILE"), "5", kObjectList},
      {"21 fields", Line(true, {"X"}), kObjects, kNoObjects},
      {"18 fields", EighteenFields(), "5", kNoObjects},
  };
  CheckLayouts(true, cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(CTSMClientScheduleTest, ObjectsColumn) {
  const struct {
    const char* objects;
    Strings expected;
  } cases[] = {
      {"", {"\\"}},
      {"/home", {"/home"}},
      {"/home /data", {"/home", "/data"}},
      {"/home,/data", {"/home", "/data"}},
      {"/home,,/data, ", {"/home", "/data"}},
      {"  ", {"\\"}},
      {"\"/a,b\",/c", {"/a,b", "/c"}},
      {"\"C:\\Program Files\\*\" D:\\", {"C:\\Program Files\\*", "D:\\"}},
      {"\"/my \"\"q\"\" dir\"", {"/my \"q\" dir"}},
      {"\"/unterminated quote", {"/unterminated quote"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.objects);
    ScheduleRow row;
    row.twentyColumns = true;
    row.objects = c.objects;
    row.extra = {"X"};
    Result result = RunLive("NODE1", Header() + row.Line() + "\n");
    ASSERT_EQ(result.schedules.size(), 1u);
    EXPECT_EQ(result.schedules[0].getObjects(), c.expected);
  }
}

TEST(CTSMClientScheduleTest, KeepsOnlyBackupActions) {
  const char* const actions[] = {"Incremental", "SELECTIVE", "imagebackup", "Inc",
                                 "ARCHIVE",     "Command",   "Restore",     "Incr"};
  std::string file = Header();
  for (const char* action : actions) {
    ScheduleRow row;
    row.name = action;
    row.action = action;
    row.extra = {"X"};
    file += row.Line() + "\n";
  }
  file += "STANDARD,SHORT,desc,Incremental,,/home\n";
  Result result = RunLive("NODE1", file);
  ASSERT_TRUE(result.ok);
  Strings names;
  for (const auto& s : result.schedules) names.push_back(s.getSchedName());
  EXPECT_EQ(names, (Strings{"Incremental", "SELECTIVE", "imagebackup", "Inc"}));
  // Live runs never check associations.
  EXPECT_EQ(result.runs, 1);
}

TEST(CTSMClientScheduleTest, LiveExitStatus) {
  const std::string file = Header() + Line(true, {"X"}) + "\n";
  const struct {
    int status;
    bool ok;
    size_t schedules;
  } cases[] = {{0, true, 1}, {11, true, 0}, {2, false, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    Result result = RunLive("NODE1", file, c.status);
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.schedules.size(), c.schedules);
  }
}

TEST(CTSMClientScheduleTest, ReplayChecksTheAssociation) {
  ScheduleRow daily;
  ScheduleRow weekly;
  weekly.name = "WEEKLY";
  const std::string sched = Header() + daily.Line() + "\n" + weekly.Line() + "\n";
  const std::string assoc = Header() + kAssocDaily + "STANDARD,WEEKLY,NODE3\n";
  const struct {
    const char* node;
    Strings schedules;
  } cases[] = {
      {"NODE1", {"DAILY"}}, {"node2", {"DAILY"}}, {"NODE3", {"WEEKLY"}}, {"NODE", {}}, {"NODE1 NODE2", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.node);
    Result result = RunReplay(c.node, sched, assoc.c_str());
    EXPECT_TRUE(result.ok);
    Strings names;
    for (const auto& s : result.schedules) names.push_back(s.getSchedName());
    EXPECT_EQ(names, c.schedules);
    if (!c.schedules.empty()) {
      EXPECT_NE(result.log.find(std::string("found  ->> nodename= '") + c.node + "'"), std::string::npos);
    }
  }
}

TEST(CTSMClientScheduleTest, ReplayFailures) {
  ScheduleRow daily;
  ScheduleRow archive;
  archive.action = "Archive";
  const struct {
    const char* name;
    std::string sched;
    bool writeAssoc;
    bool ok;
    const char* logged;
  } cases[] = {
      {"no association file", Header() + daily.Line() + "\n", false, false,
       "Unable to fetch client-policy association for [DAILY]"},
      {"no association file, no backup schedule", Header() + archive.Line() + "\n", false, true, ""},
      {"no schedule file", "", true, false, "Unable to open file ["},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ScopedExistingFiles files(true, dir.path() + "/");
    if (!c.sched.empty()) testsupport::WriteFile(dir.file("ixr_sched.txt"), c.sched);
    if (c.writeAssoc) testsupport::WriteFile(dir.file("ixr_assoc.txt"), Header() + kAssocDaily);
    testsupport::LogCapture log;
    CTSMClientSchedule fetcher;
    fetcher.SetNodeName("NODE1");
    EXPECT_EQ(fetcher.FetchData(nullptr), c.ok);
    EXPECT_TRUE(fetcher.getSchedules()->empty());
    EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
  }
}

// Replay needs both a directory of saved files and a node name; otherwise
// the saved file is read with the live layouts and no association check.
TEST(CTSMClientScheduleTest, ExistingFilesWithoutDirectoryAreNotReplay) {
  TempDir dir;
  testsupport::ScopedChdir cwd(dir.path());
  ScopedExistingFiles files(true, "");
  testsupport::WriteFile(dir.file("ixr_sched.txt"), Header() + Line(true, {"X"}) + "\n");
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName("NODE9");
  ASSERT_TRUE(fetcher.FetchData(nullptr));
  ASSERT_EQ(fetcher.getSchedules()->size(), 1u);
  EXPECT_EQ(fetcher.getSchedules()->at(0).getObjects(), kObjectList);
}

TEST(CTSMClientScheduleTest, SecondFetchAppends) {
  TempDir dir;
  ScopedExistingFiles files(true, dir.path() + "/");
  testsupport::WriteFile(dir.file("ixr_sched.txt"), Header() + Line(true, {}) + "\n");
  testsupport::WriteFile(dir.file("ixr_assoc.txt"), std::string(Header()) + kAssocDaily);
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName("NODE1");
  ASSERT_TRUE(fetcher.FetchData(nullptr));
  ASSERT_TRUE(fetcher.FetchData(nullptr));
  EXPECT_EQ(fetcher.getSchedules()->size(), 2u);
}

TEST(CTSMClientScheduleTest, CommandLine) {
  const struct {
    bool existing;
    const char* binaryPath;
    const char* node;
    const char* expected;
  } cases[] = {
      {false, "/opt/tsm/bin", "NODE1",
       "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=pw -outfile=ixr_sched.txt"
       " -dateformat=1 -comma query schedule format=detailed Nodes=NODE1"},
      {false, "", "tsmsrv01",
       "\"dsmadmc\" -id=admin -password=pw -outfile=ixr_sched.txt"
       " -dateformat=1 -comma query schedule format=detailed Nodes=tsmsrv01"},
      {true, "/opt/tsm/bin", "NODE1", "*_s?k?i?p_*"},
      // A name that is not one command word runs nothing.
      {false, "/opt/tsm/bin", "NODE 1", "*_s?k?i?p_*"},
      {false, "/opt/tsm/bin", "NODE'1", "*_s?k?i?p_*"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ScopedExistingFiles files(c.existing, "/saved/");
    CTSMClientSchedule fetcher;
    fetcher.set_BinaryPath(c.binaryPath, false);
    fetcher.SetNodeName(c.node);
    fetcher.SetLogin("admin");
    fetcher.SetPassword("pw");
    EXPECT_EQ(fetcher._GetCommandLine(), c.expected);
    EXPECT_EQ(fetcher.GetOutputFileName(), "ixr_sched.txt");
  }
}

TEST(CTSMClientScheduleTest, LiveRunWithRefusedNodeNameFails) {
  Result result = RunLive("NODE 1", Header() + Line(true, {"X"}) + "\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.runs, 0);
  EXPECT_TRUE(result.schedules.empty());
  EXPECT_NE(result.log.find("Refusing schedule query for node [NODE 1]"), std::string::npos);
}

TEST(CTSMClientScheduleTest, LiveRunArgumentsAndLog) {
  Result result = RunLive("NODE1", Header() + Line(true, {"X"}) + "\n");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.lastArgv,
            (Strings{"dsmadmc", "-id=admin", "-password=pw", "-outfile=ixr_sched.txt", "-dateformat=1",
                     "-comma", "query", "schedule", "format=detailed", "Nodes=NODE1"}));
  EXPECT_EQ(result.log.find("-password="), std::string::npos) << result.log;
  EXPECT_NE(result.log.find("Start processing file [ixr_sched.txt]."), std::string::npos) << result.log;
}

}  // namespace

namespace {

struct Summary {
  std::string name;
  std::string priority;
  Strings objects;
  bool operator==(const Summary& o) const {
    return name == o.name && priority == o.priority && objects == o.objects;
  }
};

std::vector<Summary> Summarize(const std::vector<CTSMSchedule>& schedules) {
  std::vector<Summary> out;
  for (const auto& s : schedules) out.push_back({s.getSchedName(), s.getPriority(), s.getObjects()});
  return out;
}

void PrintTo(const Summary& s, std::ostream* os) {
  *os << s.name << "/" << s.priority << "/" << s.objects.size();
}

// Live per-node queries against the dsmadmc simulator, then a replay of
// the files a gathering run keeps (the full schedule query and all
// associations) gives the same schedules.
TEST(CTSMClientScheduleTest, ThroughTheSimulatorLiveAndReplay) {
  const struct {
    const char* node;
    std::vector<Summary> expected;
  } cases[] = {
      {"web01", {{"DAILY", "5", {"/home", "/data"}}, {"ENH", "3", {"/etc"}}}},
      {"VEGA", {{"DAILY", "5", {"/home", "/data"}}}},
      {"NOBODY", {}},
  };
  for (const char* layout : {"19", "20"}) {
    schedtest::SimulatorSite site(layout);
    TempDir gathered;
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string("layout ") + layout + ", live, node " + c.node);
      TempDir dir;
      testsupport::ScopedChdir cwd(dir.path());
      ScopedExistingFiles files(false, "");
      CTSMClientSchedule fetcher;
      fetcher.set_BinaryPath(testsupport::BinDir(), false);
      fetcher.SetNodeName(c.node);
      fetcher.SetLogin("admin");
      fetcher.SetPassword(schedtest::kSitePassword);
      EXPECT_TRUE(fetcher.FetchData(nullptr));
      EXPECT_EQ(Summarize(*fetcher.getSchedules()), c.expected);
    }

    // Gather as a collecting run does.
    {
      testsupport::ScopedChdir cwd(gathered.path());
      for (const std::string& query :
           {std::string("query schedule format=detailed"), std::string("query association")}) {
        const std::string file = query[6] == 's' ? "ixr_sched.txt" : "ixr_assoc.txt";
        const std::string command = testsupport::BinDir() +
                                    "/dsmadmc -id=admin -password=" + schedtest::kSitePassword +
                                    " -outfile=" + file + " -dateformat=1 -comma " + query + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
      }
    }
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string("layout ") + layout + ", replay, node " + c.node);
      ScopedExistingFiles files(true, gathered.path() + "/");
      CTSMClientSchedule fetcher;
      fetcher.SetNodeName(c.node);
      EXPECT_TRUE(fetcher.FetchData(nullptr));
      EXPECT_EQ(Summarize(*fetcher.getSchedules()), c.expected);
    }
  }
}

}  // namespace
