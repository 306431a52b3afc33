// Client discovery end to end: tsm-discover loads the plug-in and runs
// DiscoverClients against the dsmadmc simulator serving the sample site,
// or over the replay set gathered from it. The client list is checked in
// the handed-over XML. (A wrong password: the simulator's refusal is in the
// simulator tests, the status sent for it in discover_clients_test.cpp.)
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/ZyUtil.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XmlQuery.h"

namespace {

using namespace testsupport;

// The n-th entry of App::ClientsList, and paths below one.
std::string Entry(size_t n) {
  return "(/message[@type='App::ClientsList']/field[@name='clients']/message)[" + std::to_string(n) + "]";
}
const std::string kClient = "/field[@name='client']/message/";
const std::string kName = kClient + "field[@name='clientEntity']/message/field[@name='clientName']";
const std::string kComponents = kClient + "field[@name='components']//field[@name='componentType']";

// Per node name: the components and every subclient with its content and
// properties, as one line each.
std::map<std::string, std::string> EntryTrees(const std::string& file) {
  std::map<std::string, std::string> trees;
  for (size_t n = 1; !Texts(file, Entry(n) + kName).empty(); ++n) {
    std::string tree = "components " + Texts(file, Entry(n) + kComponents) + "\n";
    for (size_t i = 1;; ++i) {
      const std::string sc =
          "(" + Entry(n) + "//field[@name='subclients']/message)[" + std::to_string(i) + "]/";
      if (Texts(file, sc + "field[@name='subclientEntity']").empty()) break;
      tree += Texts(file, sc + "field[@name='subclientEntity']/message/field") + " " +
              Texts(file, sc + "field[@name='field6']") + " [" +
              Texts(file, sc + "field[@name='content']/message/field[@name='value']", " ") + "] [" +
              Texts(file, sc + "field[@name='properties']/message/field", " ") + "]\n";
    }
    trees[Texts(file, Entry(n) + kName)] = tree;
  }
  return trees;
}

class ClientsEndToEnd : public ::testing::Test {
 protected:
  // tsm-discover run --only clients against the simulator serving the
  // sample site, or over the replay set; the reply files handed over.
  std::string Discover(bool replay = false) {
    InstallSimulator(work_.path(), SourceDir() + "/samples/site");
    WriteFile(work_.file("password"), "Orbit7-Demo\n");
    ProgramResult run = RunProgram({BinDir() + "/tsm-discover", "run", "--login", "ADMIN", "--password-file",
                                    work_.file("password"), "--out", out_.path(), "--only", "clients",
                                    replay ? "--replay" : "--dsmadmc-dir",
                                    replay ? SourceDir() + "/samples/replay" : work_.path()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    std::string replies;
    for (const std::string& f : ListDir(out_.path())) replies += f.find(".xml") != std::string::npos ? f : "";
    return replies;
  }
  ScopedEnv noSite_{"DSMADMC_SIM_SITE", nullptr};
  TempDir work_, out_;
};

// Live: one entry per node and the synthesized master. Replayed: the live
// trees, with the gathered server VEGA as the master.
TEST_F(ClientsEndToEnd, OneEntryPerNodeAndTheMasterLiveAndReplayed) {
  ASSERT_EQ(Discover(), "000001-App.ClientsList.xml");
  const std::string list = out_.file("000001-App.ClientsList.xml");
  EXPECT_EQ(Texts(list, "/message[@type='App::ClientsList']/field[@name='clients']/message" + kName),
            "APPSRV02,DBAIX01,FILESRV01,LABX01,LAB_01,MAILSUN,STUDIO-MAC,VEGA,WEB01," + GetHostName());
  // The synthesized master entry: master and media server, no agent.
  std::map<std::string, std::string> live = EntryTrees(list);
  EXPECT_EQ(live[GetHostName()], "components 1,11\n");
  // WEB01: the two default subclients, then one per schedule.
  const std::string props =
      " compression 2 0 cross mount point 2 0 Enable Backup 2 1 TSM Foreign Subclient 2 1]\n";
  EXPECT_EQ(live["WEB01"],
            "components 3,4\ndefault 8 [/] []\nOnDemand 2 [/] []\nDAILY_INCR 0 [\\] [priority 3 5" + props +
                "HOURLY_LOGS 0 [/var/log/*\\/\\/ /opt/app/logs/*\\/\\/] [priority 3 3" + props +
                "WEEKLY_SEL 0 [/etc/*\\/\\/ /home/*\\/\\/] [priority 3 4" + props);

  RemoveTree(list);
  ASSERT_EQ(Discover(/*replay=*/true), "000001-App.ClientsList.xml");
  std::map<std::string, std::string> replay = EntryTrees(list);
  ASSERT_EQ(live.size(), 10u);
  ASSERT_EQ(replay.size(), 9u);
  for (const auto& [name, tree] : replay) {
    SCOPED_TRACE(name);
    std::string expected = live[name];
    if (name == "VEGA") expected.replace(0, std::string("components 3,4").size(), "components 1,11,3,4");
    EXPECT_EQ(tree, expected);
  }
}

}  // namespace
