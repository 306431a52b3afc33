// The per-node schedule query: live and replay column layouts, the replay
// association check, exit status 11 and the command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMSchedule.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace schedtest;
using Strings = std::vector<std::string>;

const char kObjectsField[] = "/home,\"C:\\Program Files\\*\"";
const Strings kObjectList = {"/home", "C:\\Program Files\\*"};
const Strings kNoObjects = {"\\"};
const std::string kAssocDaily = Header() + "STANDARD,DAILY,NODE1 NODE2\n";

// A schedule line of 19 or 20 columns with kObjectsField, then `extra`.
std::string Line(bool twenty, const Strings& extra = {}, const char* last = "") {
  return ScheduleLine(twenty, {{kObjects, kObjectsField}, {kLast, last}}, extra);
}

struct Result {
  bool ok = false;
  std::vector<CTSMSchedule> schedules;
  std::vector<Strings> runs;
  std::string log;
};

// kLive: the fake dsmadmc writes `sched` and exits with `status`.
// kReplay: the saved `sched` and `assoc` files (none when empty) are read
// from a directory of saved files. kSavedHere: existing files are used but
// no directory is named.
enum Mode { kLive, kReplay, kSavedHere };

Result Fetch(Mode mode, const std::string& node, const std::string& sched, const std::string& assoc = "",
             int status = 0) {
  testsupport::TempDir dir;
  testsupport::ScopedChdir cwd(dir.path());
  testsupport::ScopedExistingFiles files(mode != kLive, mode == kReplay ? dir.path() + "/" : "");
  testsupport::FakeDsmadmc fake;
  fake.On("Nodes=", sched, status);
  if (mode != kLive && !sched.empty()) testsupport::WriteFile(dir.file("ixr_sched.txt"), sched);
  if (mode != kLive && !assoc.empty()) testsupport::WriteFile(dir.file("ixr_assoc.txt"), assoc);
  testsupport::LogCapture log;
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName(node);
  fetcher.SetLogin("admin");
  fetcher.SetPassword("pw");
  Result result;
  result.ok = fetcher.FetchData(nullptr);
  result.schedules = *fetcher.getSchedules();
  result.runs = fake.runs();
  result.log = log.text();
  return result;
}

Strings Names(const std::vector<CTSMSchedule>& schedules) {
  Strings names;
  for (const auto& s : schedules) names.push_back(s.getSchedName());
  return names;
}

// Layout A reads columns 7 and 6 (priority, objects), layout B 6 and 5: a
// live line has 21 (A) or 20 (B) fields, a replayed one 20 or 19; other
// widths keep column 6 and no objects.
TEST(CTSMClientScheduleTest, Layouts) {
  std::string eighteen = Line(false);
  eighteen.pop_back();
  const struct {
    Mode mode;
    const char* name;
    std::string line;
    std::string priority;
    Strings objects;
  } cases[] = {
      {kLive, "21 fields", Line(true, {"X"}), "5", kObjectList},
      {kLive, "21 fields, the last empty", Line(true, {""}), "5", kObjectList},
      {kLive, "20 fields", Line(false, {"X"}), "5", kObjectList},
      {kLive, "20-column line of the full query", Line(true), kObjectsField, {"-subdir=yes"}},
      {kLive, "19 fields", Line(false), "5", kNoObjects},
      {kLive, "22 fields", Line(true, {"X", "Y"}), kObjectsField, kNoObjects},
      {kLive, "7 fields", "STANDARD,DAILY,desc,Incremental,,/home,5", "5", kNoObjects},
      {kReplay, "20 fields, the last empty", Line(true), "5", kObjectList},
      {kReplay, "20 fields", Line(true, {}, "PROFILE"), "5", kObjectList},
      {kReplay, "19 fields, the last empty", Line(false), "5", kObjectList},
      {kReplay, "19 fields", Line(false, {}, "PROFILE"), "5", kObjectList},
      {kReplay, "21 fields", Line(true, {"X"}), kObjectsField, kNoObjects},
      {kReplay, "18 fields", eighteen, "5", kNoObjects},
      // Without a directory of saved files it is not a replay.
      {kSavedHere, "21 fields", Line(true, {"X"}), "5", kObjectList},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("mode ") + std::to_string(c.mode) + ", " + c.name + ": " + c.line);
    Result result = Fetch(c.mode, "NODE1", Header() + c.line + "\n", kAssocDaily);
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

TEST(CTSMClientScheduleTest, ObjectsColumn) {
  const struct {
    const char* objects;
    Strings expected;
  } cases[] = {
      {"", {"\\"}},
      {"  ", {"\\"}},
      {"/home /data", {"/home", "/data"}},
      {"/home,,/data, ", {"/home", "/data"}},
      {"\"/a,b\",/c", {"/a,b", "/c"}},
      {"\"C:\\Program Files\\*\" D:\\", {"C:\\Program Files\\*", "D:\\"}},
      {"\"/my \"\"q\"\" dir\"", {"/my \"q\" dir"}},
      {"\"/unterminated quote", {"/unterminated quote"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.objects);
    Result result =
        Fetch(kLive, "NODE1", Header() + ScheduleLine(true, {{kObjects, c.objects}}, {"X"}) + "\n");
    ASSERT_EQ(result.schedules.size(), 1u);
    EXPECT_EQ(result.schedules[0].getObjects(), c.expected);
  }
}

TEST(CTSMClientScheduleTest, KeepsOnlyBackupActions) {
  std::string file = Header();
  for (const char* action :
       {"Incremental", "SELECTIVE", "imagebackup", "Inc", "ARCHIVE", "Command", "Incr"}) {
    file += ScheduleLine(false, {{kName, action}, {kAction, action}}, {"X"}) + "\n";
  }
  file += "STANDARD,SHORT,desc,Incremental,,/home\n";
  Result result = Fetch(kLive, "NODE1", file);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(Names(result.schedules), (Strings{"Incremental", "SELECTIVE", "imagebackup", "Inc"}));
  EXPECT_EQ(result.runs.size(), 1u);  // live runs never check associations
}

// Exit status 11 (nothing matched) is an empty answer; a node name that is
// not one command word runs nothing and fails.
TEST(CTSMClientScheduleTest, LiveRuns) {
  const struct {
    const char* node;
    int status;
    bool ok;
    size_t schedules;
    const char* logged;
  } cases[] = {
      {"NODE1", 0, true, 1, "Start processing file [ixr_sched.txt]."},
      {"NODE1", 11, true, 0, ""},
      {"NODE1", 2, false, 1, ""},
      {"NODE 1", 0, false, 0, "Refusing schedule query for node [NODE 1]"},
      {"NODE'1", 0, false, 0, "Refusing schedule query for node [NODE'1]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.node) + " exit " + std::to_string(c.status));
    Result result = Fetch(kLive, c.node, Header() + Line(true, {"X"}) + "\n", "", c.status);
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.schedules.size(), c.schedules);
    EXPECT_NE(result.log.find(c.logged), std::string::npos) << result.log;
    EXPECT_EQ(result.log.find("-password="), std::string::npos) << result.log;
    const Strings argv = {"dsmadmc", "-id=admin", "-password=pw", "-outfile=ixr_sched.txt", "-dateformat=1",
                          "-comma",  "query",     "schedule",     "format=detailed",        "Nodes=NODE1"};
    EXPECT_EQ(result.runs, c.ok || c.schedules > 0 ? std::vector<Strings>{argv} : std::vector<Strings>{});
  }
}

// A replayed schedule counts for the node only when its association names
// it, compared ignoring case; a missing file fails the query.
TEST(CTSMClientScheduleTest, ReplayChecksTheAssociation) {
  const std::string both =
      Header() + ScheduleLine(false) + "\n" + ScheduleLine(false, {{kName, "WEEKLY"}}) + "\n";
  const std::string assoc = kAssocDaily + "STANDARD,WEEKLY,NODE3\n";
  const std::string archive = Header() + ScheduleLine(false, {{kAction, "Archive"}}) + "\n";
  const struct {
    const char* node;
    std::string sched;
    std::string assoc;
    bool ok;
    Strings names;
    const char* logged;
  } cases[] = {
      {"NODE1", both, assoc, true, {"DAILY"}, "found  ->> nodename= 'NODE1'"},
      {"node2", both, assoc, true, {"DAILY"}, "found  ->> nodename= 'node2'"},
      {"NODE3", both, assoc, true, {"WEEKLY"}, ""},
      {"NODE", both, assoc, true, {}, ""},
      {"NODE1 NODE2", both, assoc, true, {}, ""},
      {"NODE1", both, "", false, {}, "Unable to fetch client-policy association for [DAILY]"},
      {"NODE1", archive, "", true, {}, ""},
      {"NODE1", "", assoc, false, {}, "Unable to open file ["},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.node) + ": " + c.sched + " / " + c.assoc);
    Result result = Fetch(kReplay, c.node, c.sched, c.assoc);
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(Names(result.schedules), c.names);
    EXPECT_NE(result.log.find(c.logged), std::string::npos) << result.log;
  }
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
    testsupport::ScopedExistingFiles files(c.existing, "/saved/");
    CTSMClientSchedule fetcher;
    fetcher.set_BinaryPath(c.binaryPath, false);
    fetcher.SetNodeName(c.node);
    fetcher.SetLogin("admin");
    fetcher.SetPassword("pw");
    EXPECT_EQ(fetcher._GetCommandLine(), c.expected);
    EXPECT_EQ(fetcher.GetOutputFileName(), "ixr_sched.txt");
  }
}

// Schedule name, priority and objects of each schedule, as one string.
Strings Summarize(const std::vector<CTSMSchedule>& schedules) {
  Strings out;
  for (const auto& s : schedules) {
    std::string line = s.getSchedName() + "/" + s.getPriority() + "/";
    for (const auto& object : s.getObjects()) line += object + " ";
    out.push_back(line);
  }
  return out;
}

// Against the dsmadmc simulator on the sample site: live per-node queries
// and a replay of what a gathering run keeps (the full schedule query and
// all associations) give the same schedules, in both layouts.
TEST(CTSMClientScheduleTest, SimulatorLiveAndReplayAgree) {
  const std::string sample = testsupport::SourceDir() + "/samples/site";
  const std::string login = " -id=ADMIN -password=Orbit7-Demo -dateformat=1 -comma -outfile=";
  for (const char* layout : {"19", "20"}) {
    testsupport::TempDir site, gathered;
    for (const auto& name : testsupport::ListDir(sample)) {
      testsupport::WriteFile(site.file(name), testsupport::ReadFile(sample + "/" + name));
    }
    testsupport::WriteFile(site.file("settings.csv"),
                           std::string("NAME,VALUE\nSCHEDULE_LAYOUT,") + layout + "\n");
    testsupport::ScopedEnv env("DSMADMC_SIM_SITE", site.path().c_str());
    for (const char* query :
         {"ixr_sched.txt query schedule format=detailed", "ixr_assoc.txt query association"}) {
      const std::string command = "cd " + gathered.path() + " && " + testsupport::BinDir() + "/dsmadmc" +
                                  login + query + " >/dev/null";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const struct {
      const char* node;
      size_t schedules;
    } cases[] = {{"web01", 3}, {"VEGA", 1}, {"DBAIX01", 3}, {"APPSRV02", 3}, {"NOBODY", 0}};
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string("layout ") + layout + ", node " + c.node);
      Strings live, replay;
      {
        testsupport::TempDir dir;
        testsupport::ScopedChdir cwd(dir.path());
        testsupport::ScopedExistingFiles files(false, "");
        CTSMClientSchedule fetcher;
        fetcher.set_BinaryPath(testsupport::BinDir(), false);
        fetcher.SetNodeName(c.node);
        fetcher.SetLogin("ADMIN");
        fetcher.SetPassword("Orbit7-Demo");
        EXPECT_TRUE(fetcher.FetchData(nullptr));
        live = Summarize(*fetcher.getSchedules());
      }
      testsupport::ScopedExistingFiles files(true, gathered.path() + "/");
      CTSMClientSchedule fetcher;
      fetcher.SetNodeName(c.node);
      EXPECT_TRUE(fetcher.FetchData(nullptr));
      replay = Summarize(*fetcher.getSchedules());
      EXPECT_EQ(live.size(), c.schedules);
      EXPECT_EQ(live, replay);
    }
  }
}

}  // namespace
