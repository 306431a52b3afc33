// The per-node schedule query: live and replay column layouts, the replay
// association check, exit status 11 and the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "handler/Splitting.h"
#include "schedules/CForeignHandlerTSMSchedule.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace schedtest;
using Strings = std::vector<std::string>;

const char kObjectsField[] = "/home,\"C:\\Program Files\\*\"";
const char kObjectList[] = "/home;C:\\Program Files\\*";
const char kNoObjects[] = "\\";
const std::string kAssocDaily = kHeader + "STANDARD,DAILY,NODE1 NODE2\n";
// Failures are job lines of the parser.
const std::string kJobLine = "job=31 lvl=1 [CTSMClientSchedule::_ParseData] ";

// The number of fields of a line of the listing.
size_t Count(const std::string& line) {
  Strings fields;
  tsmsplit::SplitQueryLine(line, fields);
  return fields.size();
}

// A schedule line of `width` columns with kObjectsField, then `extra`.
std::string Line(Width width, const Strings& extra = {}) {
  return ScheduleLine(width, {{kObjects, kObjectsField}}, extra);
}

struct Result {
  bool ok = false;
  Strings names;
  Strings described;
  std::vector<Strings> runs;
  std::string log;
  std::string commandLine;
};

// kLive: the fake dsmadmc writes `sched` and exits with `status`.
// kReplay: the saved `sched` and `assoc` files (none when empty) are read
// from a directory of saved files. kSavedHere: existing files are used but
// no directory is named.
enum Mode { kLive, kReplay, kSavedHere };

Result Fetch(Mode mode, const std::string& node, const std::string& sched, const std::string& assoc = "",
             int status = 0) {
  testsupport::Workspace w(mode == kReplay);
  testsupport::ScopedExistingFiles here(mode != kLive, mode == kReplay ? w.dir.path() + "/" : "");
  w.fake.On("Nodes=", sched, status);
  if (mode >= kReplay) w.Save("ixr_sched.txt", sched), w.Save("ixr_assoc.txt", assoc);
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName(node);
  fetcher.SetLogin("ADMIN");
  fetcher.SetPassword("pw");
  fetcher.set_JobId(31);
  Result result;
  result.ok = fetcher.FetchData(nullptr);
  for (const auto& s : *fetcher.getSchedules()) {
    result.names.push_back(s.getSchedName());
    result.described.push_back(Describe(s));
  }
  result.runs = w.fake.runs();
  result.log = w.log.text();
  result.commandLine = fetcher._GetCommandLine();
  return result;
}

// The field count alone names the layout, live and replayed: 19 reads
// priority and objects from columns 6 and 5, 20 and 21 from 7 and 6. A
// count no layout has keeps column 6 and no objects, with an ERROR line
// naming the file, the line and the count. How the objects column splits
// is in the splitting tests.
TEST(CTSMClientScheduleTest, LayoutsAndObjects) {
  for (const auto& [mode, line, priority, expected, unknown] :
       std::vector<std::tuple<Mode, std::string, std::string, std::string, bool>>{
           {kLive, Line(k21), "5", kObjectList, false},
           {kLive, Line(k20), "5", kObjectList, false},
           {kLive, Line(k19), "5", kObjectList, false},
           {kLive, "STANDARD,DAILY,desc,Incremental,,/home,5", "5", kNoObjects, true},
           {kReplay, Line(k21), "5", kObjectList, false},
           {kReplay, Line(k20), "5", kObjectList, false},
           {kReplay, Line(k19), "5", kObjectList, false},
           {kReplay, Line(k21, {"X"}), kObjectsField, kNoObjects, true},
           {kSavedHere, Line(k20), "5", kObjectList, false},  // not a replay without a directory
           {kLive, ScheduleLine(k21, {{kObjects, ""}}), "5", kNoObjects, false}}) {
    SCOPED_TRACE("mode " + std::to_string(mode) + ": " + line);
    Result result = Fetch(mode, "NODE1", kHeader + line + "\n", kAssocDaily);
    EXPECT_TRUE(result.ok);
    // Nothing else is read by this query.
    EXPECT_EQ(result.described,
              Strings{"STANDARD|DAILY||Incremental|" + priority + "|||||classic|" + expected + "|||||"});
    const std::string error = "ixr_sched.txt] line 5 holds " + std::to_string(Count(line)) + " fields";
    EXPECT_EQ(result.log.find(error) != std::string::npos, unknown) << result.log;
  }
}

// Only backup actions count; exit status 11 (nothing matched) is an empty
// answer; a node name that is not one command word runs nothing and fails.
TEST(CTSMClientScheduleTest, LiveRuns) {
  std::string file = kHeader;
  for (const char* name : {"SELECTIVE", "Inc", "ARCHIVE", "Incr"}) {
    file += ScheduleLine(k19, {{kName, name}, {kAction, name}}, {"X"}) + "\n";
  }
  file += "STANDARD,SHORT,desc,Incremental,,/home\n";
  const Strings backups = {"SELECTIVE", "Inc"};
  for (const auto& [node, status, ok, names, logged] :
       std::vector<std::tuple<std::string, int, bool, Strings, std::string>>{
           {"NODE1", 0, true, backups, "Start processing file [ixr_sched.txt]."},
           {"NODE1", 11, true, {}, ""},
           {"NODE1", 2, false, backups, ""},
           {"NODE 1", 0, false, {}, "Refusing schedule query for node [NODE 1]"},
           {"NODE'1", 0, false, {}, "Refusing schedule query for node [NODE'1]"}}) {
    SCOPED_TRACE(node + " exit " + std::to_string(status));
    Result result = Fetch(kLive, node, file, "", status);
    EXPECT_EQ(result.ok, ok);
    EXPECT_EQ(result.names, names);
    EXPECT_NE(result.log.find(logged), std::string::npos) << result.log;
    EXPECT_EQ(result.log.find("-password="), std::string::npos) << result.log;
    // One run, never an association query; none for a refused name. (The
    // whole line is in commands_test.cpp.)
    EXPECT_EQ(result.runs.size(), node == "NODE1" ? 1u : 0u);
    EXPECT_EQ(result.commandLine.substr(result.commandLine.rfind(' ') + 1),
              node == "NODE1" ? "Nodes=NODE1" : "*_s?k?i?p_*");
  }
}

// A replayed schedule counts for the node only when its association names
// it, compared ignoring case; a missing file fails the query.
TEST(CTSMClientScheduleTest, ReplayChecksTheAssociation) {
  const std::string both = kHeader + ScheduleLine(k19) + "\n" + ScheduleLine(k19, {{kName, "WEEKLY"}}) + "\n";
  const std::string assoc = kAssocDaily + "STANDARD,WEEKLY,NODE3\n";
  for (const auto& [node, sched, saved, ok, names, logged] :
       std::vector<std::tuple<std::string, std::string, std::string, bool, Strings, std::string>>{
           {"NODE1", both, assoc, true, {"DAILY"}, "found  ->> nodename= 'NODE1'"},
           {"node2", both, assoc, true, {"DAILY"}, "found  ->> nodename= 'node2'"},
           {"NODE1 NODE2", both, assoc, true, {}, ""},
           {"NODE1", both, "", false, {}, kJobLine + "Unable to fetch client-policy association for [DAILY]"},
           {"NODE1", kHeader + ScheduleLine(k19, {{kAction, "Archive"}}) + "\n", "", true, {}, ""},
           {"NODE1", "", assoc, false, {}, kJobLine + "Unable to open file ["}}) {
    SCOPED_TRACE(node + ": " + sched + " / " + saved);
    Result result = Fetch(kReplay, node, sched, saved);
    EXPECT_EQ(result.ok, ok);
    EXPECT_EQ(result.commandLine, "*_s?k?i?p_*");
    EXPECT_EQ(result.names, names);
    EXPECT_NE(result.log.find(logged), std::string::npos) << result.log;
  }
}

}  // namespace
