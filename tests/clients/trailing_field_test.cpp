// What the empty last field ("a," gives "a" and "") decides: per rule, a
// line ending in an empty field, replayed through the parser that owns the
// rule. docs/notes.md lists the same rules.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "clients/CForeignHandlerTSMClient.h"
#include "clients/CForeignHandlerTSMDB2.h"
#include "handler/CForeignHandlerTSMConfig.h"
#include "schedules/CForeignHandlerTSMAssoc.h"
#include "schedules/CForeignHandlerTSMPolicy.h"
#include "schedules/CForeignHandlerTSMSchedule.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using schedtest::k19;
using schedtest::k20;
using schedtest::k21;
using schedtest::kHeader;
using schedtest::kLast;
using schedtest::kStyle;
using schedtest::ScheduleLine;

std::string Join(const std::vector<std::string>& items, const char* between = ";") {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) out += (i > 0 ? between : "") + items[i];
  return out;
}

std::string Nodes() {
  CTSMClients fetcher;
  std::vector<TSMClientInfo> nodes;
  fetcher.SetNodeName("");
  if (!fetcher.FetchData(&nodes)) return "failed";
  return nodes.empty() ? "" : nodes[0].get_NodeName() + "/" + nodes[0].get_Hostname();
}

std::string Version() {
  CTSMConfigFetcher fetcher;
  TSMVersionInfo info;
  const bool ok = fetcher.FetchData(&info);
  return (ok ? "" : "failed ") + std::to_string(info.version) + "." + std::to_string(info.release);
}

std::string Db2Pairs() {
  CTSMDB2Info fetcher;
  fetcher.set_clientName("N1");
  if (!fetcher.FetchData(nullptr)) return "failed";
  std::string out;
  for (const auto& [instance, database] : *fetcher.get_db2info())
    out += "[" + instance + "|" + database + "]";
  return out;
}

std::string AssociationOfOld() {
  CTSMSchedule record;
  record.setClientList({"OLD"});
  CTSMAssoc assoc;
  assoc.SetPolicyDomain("D");
  assoc.SetPolicyName("S");
  return assoc.FetchData(&record) ? "[" + Join(record.getClientList()) + "]" : "failed";
}

// Priority and objects of the first record, and its days when enhanced.
std::string Describe(bool ok, const std::vector<CTSMSchedule>& records) {
  if (!ok || records.empty()) return ok ? "" : "failed";
  const CTSMSchedule& s = records[0];
  return s.Priority + " " + Join(s.Objects) + (s.EnhancedSchedule ? " " + Join(s.DaysOfWeek) : "");
}

std::string Schedules() {
  CTSMPolicy policy;
  std::vector<CTSMSchedule> records;
  return Describe(policy.FetchData(&records), records);
}

std::string NodeSchedules() {
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName("NODE1");
  return Describe(fetcher.FetchData(nullptr), *fetcher.getSchedules());
}

TEST(TrailingEmptyFieldTest, EveryRuleItDecides) {
  const std::string node = "A," + Join(std::vector<std::string>(31, "x"), ",");  // 32 values
  const int kDaysOfWeek = 11;                                                    // of the 19-column layout
  const struct {
    const char* rule;
    const char* file;
    std::string content;
    std::function<std::string()> read;
    std::string expected;
  } cases[] = {
      {"node line of 32 values and a comma: 33 fields, kept", "ixr_node.txt", node + ",\n", Nodes, "A/A"},
      {"DB2 'inst,': two fields, a pair", "ixr_db2_N1.txt", kHeader + "inst,\n", Db2Pairs, "[inst|]"},
      {"version '8,': two fields, release 0", "ixr_tsmconfig.txt", "8,\n", Version, "8.0"},
      {"association 'D,S,': three fields, the list emptied", "ixr_assoc.txt", kHeader + "D,S,\n",
       AssociationOfOld, "[]"},
      {"full listing, 19 columns, the last empty: read", "ixr_sched.txt", kHeader + ScheduleLine(k19) + "\n",
       Schedules, "5 /home;/data dir"},
      {"full listing, 20 columns, the last empty: 20-column layout", "ixr_sched.txt",
       kHeader + ScheduleLine(k20) + "\n", Schedules, "5 /home;/data dir"},
      {"full listing, 21 columns, the last empty: 21-column layout", "ixr_sched.txt",
       kHeader + ScheduleLine(k21) + "\n", Schedules, "5 /home;/data dir"},
      {"enhanced list 'Mon,': an empty item", "ixr_sched.txt",
       kHeader + ScheduleLine(k19, {{kStyle, "Enhanced"}, {kDaysOfWeek, "Mon,"}, {kLast, "x"}}) + "\n",
       Schedules, "5 /home;/data dir Mon;"},
      {"per-node listing replayed, 20 fields, the last empty: layout A", "ixr_sched.txt",
       kHeader + ScheduleLine(k20) + "\n", NodeSchedules, "5 /home;/data dir"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    testsupport::Workspace w(/*replay=*/true);
    w.Save("ixr_assoc.txt", kHeader + "STANDARD,DAILY,NODE1\n");
    w.Save(c.file, c.content);
    EXPECT_EQ(c.expected, c.read());
  }
}

}  // namespace
