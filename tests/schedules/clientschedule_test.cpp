// The per-node schedule query: live and replay column layouts, the replay
// association check, exit status 11 and the command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "schedules/CForeignHandlerTSMSchedule.h"
#include "tests/schedules/ScheduleTestSupport.h"

namespace {

using namespace schedtest;
using Strings = std::vector<std::string>;

const char kObjectsField[] = "/home,\"C:\\Program Files\\*\"";
const char kObjectList[] = "/home;C:\\Program Files\\*";
const char kNoObjects[] = "\\";
const std::string kAssocDaily = Header() + "STANDARD,DAILY,NODE1 NODE2\n";

// A schedule line of 19 or 20 columns with kObjectsField, then `extra`.
std::string Line(bool twenty, const Strings& extra = {}, const char* last = "") {
  return ScheduleLine(twenty, {{kObjects, kObjectsField}, {kLast, last}}, extra);
}

struct Result {
  bool ok = false;
  std::vector<CTSMSchedule> schedules;
  Strings names;
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
  for (const auto& s : result.schedules) result.names.push_back(s.getSchedName());
  result.runs = fake.runs();
  result.log = log.text();
  return result;
}

// Layout A reads columns 7 and 6 (priority, objects), layout B 6 and 5: a
// live line has 21 (A) or 20 (B) fields, a replayed one 20 or 19; other
// widths keep column 6 and no objects. Objects are split at blanks and
// commas outside double quotes.
TEST(CTSMClientScheduleTest, LayoutsAndObjects) {
  std::string eighteen = Line(false);
  eighteen.pop_back();
  auto objects = [](const char* field) { return ScheduleLine(true, {{kObjects, field}}, {"X"}); };
  for (const auto& [mode, line, priority, expected] :
       std::vector<std::tuple<Mode, std::string, std::string, std::string>>{
           {kLive, Line(true, {"X"}), "5", kObjectList},
           {kLive, Line(true, {""}), "5", kObjectList},  // a trailing comma counts
           {kLive, Line(false, {"X"}), "5", kObjectList},
           {kLive, Line(true), kObjectsField, "-subdir=yes"},  // the full query's 20 columns
           {kLive, Line(false), "5", kNoObjects},
           {kLive, "STANDARD,DAILY,desc,Incremental,,/home,5", "5", kNoObjects},
           {kReplay, Line(true), "5", kObjectList},
           {kReplay, Line(true, {}, "PROFILE"), "5", kObjectList},
           {kReplay, Line(false), "5", kObjectList},
           {kReplay, Line(false, {}, "PROFILE"), "5", kObjectList},
           {kReplay, Line(true, {"X"}), kObjectsField, kNoObjects},
           {kReplay, eighteen, "5", kNoObjects},
           {kSavedHere, Line(true, {"X"}), "5", kObjectList},  // not a replay without a directory
           {kLive, objects(""), "5", kNoObjects},
           {kLive, objects("  "), "5", kNoObjects},
           {kLive, objects("/home /data,,/e, "), "5", "/home;/data;/e"},
           {kLive, objects("\"/a,b\",/c"), "5", "/a,b;/c"},
           {kLive, objects("\"C:\\Program Files\\*\" D:\\"), "5", "C:\\Program Files\\*;D:\\"},
           {kLive, objects("\"/my \"\"q\"\" dir\""), "5", "/my \"q\" dir"},
           {kLive, objects("\"/unterminated quote"), "5", "/unterminated quote"}}) {
    SCOPED_TRACE("mode " + std::to_string(mode) + ": " + line);
    Result result = Fetch(mode, "NODE1", Header() + line + "\n", kAssocDaily);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.schedules.size(), 1u);
    // Nothing else is read by this query.
    EXPECT_EQ(Describe(result.schedules[0]),
              "STANDARD|DAILY||Incremental|" + priority + "|||||classic|" + expected + "|||||");
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
  EXPECT_EQ(result.names, (Strings{"Incremental", "SELECTIVE", "imagebackup", "Inc"}));
  EXPECT_EQ(result.runs.size(), 1u);  // live runs never check associations
}

// Exit status 11 (nothing matched) is an empty answer; a node name that is
// not one command word runs nothing and fails.
TEST(CTSMClientScheduleTest, LiveRuns) {
  const Strings argv = {"dsmadmc", "-id=admin", "-password=pw", "-outfile=ixr_sched.txt", "-dateformat=1",
                        "-comma",  "query",     "schedule",     "format=detailed",        "Nodes=NODE1"};
  for (const auto& [node, status, ok, count, logged] :
       std::vector<std::tuple<std::string, int, bool, size_t, std::string>>{
           {"NODE1", 0, true, 1, "Start processing file [ixr_sched.txt]."},
           {"NODE1", 11, true, 0, ""},
           {"NODE1", 2, false, 1, ""},
           {"NODE 1", 0, false, 0, "Refusing schedule query for node [NODE 1]"},
           {"NODE'1", 0, false, 0, "Refusing schedule query for node [NODE'1]"}}) {
    SCOPED_TRACE(node + " exit " + std::to_string(status));
    Result result = Fetch(kLive, node, Header() + Line(true, {"X"}) + "\n", "", status);
    EXPECT_EQ(result.ok, ok);
    EXPECT_EQ(result.schedules.size(), count);
    EXPECT_NE(result.log.find(logged), std::string::npos) << result.log;
    EXPECT_EQ(result.log.find("-password="), std::string::npos) << result.log;
    EXPECT_EQ(result.runs, node == "NODE1" ? std::vector<Strings>{argv} : std::vector<Strings>{});
  }
}

// A replayed schedule counts for the node only when its association names
// it, compared ignoring case; a missing file fails the query.
TEST(CTSMClientScheduleTest, ReplayChecksTheAssociation) {
  const std::string both =
      Header() + ScheduleLine(false) + "\n" + ScheduleLine(false, {{kName, "WEEKLY"}}) + "\n";
  const std::string assoc = kAssocDaily + "STANDARD,WEEKLY,NODE3\n";
  const std::string archive = Header() + ScheduleLine(false, {{kAction, "Archive"}}) + "\n";
  for (const auto& [node, sched, saved, ok, names, logged] :
       std::vector<std::tuple<std::string, std::string, std::string, bool, Strings, std::string>>{
           {"NODE1", both, assoc, true, {"DAILY"}, "found  ->> nodename= 'NODE1'"},
           {"node2", both, assoc, true, {"DAILY"}, "found  ->> nodename= 'node2'"},
           {"NODE3", both, assoc, true, {"WEEKLY"}, ""},
           {"NODE", both, assoc, true, {}, ""},
           {"NODE1 NODE2", both, assoc, true, {}, ""},
           {"NODE1", both, "", false, {}, "Unable to fetch client-policy association for [DAILY]"},
           {"NODE1", archive, "", true, {}, ""},
           {"NODE1", "", assoc, false, {}, "Unable to open file ["}}) {
    SCOPED_TRACE(node + ": " + sched + " / " + saved);
    Result result = Fetch(kReplay, node, sched, saved);
    EXPECT_EQ(result.ok, ok);
    EXPECT_EQ(result.names, names);
    EXPECT_NE(result.log.find(logged), std::string::npos) << result.log;
  }
}

TEST(CTSMClientScheduleTest, CommandLine) {
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName("tsmsrv01");
  EXPECT_EQ(LiveCommandLine(&fetcher),
            "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=pw -outfile=ixr_sched.txt"
            " -dateformat=1 -comma query schedule format=detailed Nodes=tsmsrv01");
  fetcher.SetNodeName("NODE 1");  // not one command word: nothing runs
  EXPECT_EQ(fetcher._GetCommandLine(), "*_s?k?i?p_*");
}

// Schedule name, priority and objects of each schedule, one string each.
Strings Summarize(CTSMClientSchedule& fetcher) {
  Strings out;
  for (const auto& s : *fetcher.getSchedules()) {
    out.push_back(s.getSchedName() + "/" + s.getPriority());
    for (const auto& object : s.getObjects()) out.back() += " " + object;
  }
  return out;
}

// Against the dsmadmc simulator on the sample site: live per-node queries
// and a replay of what a gathering run keeps (the full schedule query and
// all associations) give the same schedules, in both layouts.
TEST(CTSMClientScheduleTest, SimulatorLiveAndReplayAgree) {
  const std::string sample = testsupport::SourceDir() + "/samples/site";
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
      const std::string command =
          "cd " + gathered.path() + " && " + testsupport::BinDir() +
          "/dsmadmc -id=ADMIN -password=Orbit7-Demo -dateformat=1 -comma -outfile=" + query + " >/dev/null";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    for (const auto& [node, count] : std::vector<std::pair<std::string, size_t>>{
             {"web01", 3}, {"VEGA", 1}, {"DBAIX01", 3}, {"APPSRV02", 3}, {"NOBODY", 0}}) {
      SCOPED_TRACE(std::string("layout ") + layout + ", node " + node);
      CTSMClientSchedule live, replay;
      live.set_BinaryPath(testsupport::BinDir(), false);
      live.SetNodeName(node);
      live.SetLogin("ADMIN");
      live.SetPassword("Orbit7-Demo");
      replay.SetNodeName(node);
      {
        testsupport::TempDir dir;
        testsupport::ScopedChdir cwd(dir.path());
        testsupport::ScopedExistingFiles files(false, "");
        EXPECT_TRUE(live.FetchData(nullptr));
      }
      testsupport::ScopedExistingFiles files(true, gathered.path() + "/");
      EXPECT_TRUE(replay.FetchData(nullptr));
      EXPECT_EQ(Summarize(live).size(), count);
      EXPECT_EQ(Summarize(live), Summarize(replay));
    }
  }
}

}  // namespace
