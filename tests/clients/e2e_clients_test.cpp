// Client discovery end to end: tsm-discover loads the plug-in and runs
// DiscoverClients against the dsmadmc simulator serving the sample site,
// or over the replay set gathered from it. The client list is read back
// from the handed-over XML. (A wrong password: the simulator's refusal is
// in the simulator tests, the status sent for it in discover_clients_test.cpp.)
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/HandOver.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/RunProgram.h"

namespace {

using namespace testsupport;
using clienttest::Tree;

class ClientsEndToEnd : public ::testing::Test {
 protected:
  // tsm-discover run --only clients against the simulator serving the
  // sample site, or over the replay set: the tree of each entry of the
  // client list by client name, and the names in list order.
  std::map<std::string, std::string> Discover(std::string* names, bool replay = false) {
    TempDir out;
    ProgramResult run = RunProgram({BinDir() + "/tsm-discover", "run", "--login", "ADMIN", "--password-file",
                                    work_.file("password"), "--out", out.path(), "--only", "clients",
                                    replay ? "--replay" : "--dsmadmc-dir",
                                    replay ? SourceDir() + "/samples/replay" : work_.path()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const auto list = zyhost::ReadMessageXml(out.file("000001-App.ClientsList.xml"));
    std::map<std::string, std::string> trees;
    for (size_t i = 0; i < Count(list.get(), App::ClientsList::clients); ++i) {
      const CNMessageBase* client =
          Sub(Item(list.get(), App::ClientsList::clients, i), App::ClientInfo::client);
      const std::string name =
          zyfields::GetString(Sub(client, App::Client::clientEntity), ZyEntities::ClientEntity::clientName);
      *names += (i > 0 ? "," : "") + name;
      trees[name] = Tree(client);
    }
    return trees;
  }
  void SetUp() override {
    InstallSimulator(work_.path(), SourceDir() + "/samples/site");
    WriteFile(work_.file("password"), "Orbit7-Demo\n");
  }
  ScopedEnv noSite_{"DSMADMC_SIM_SITE", nullptr};
  TempDir work_;
};

// Live: one entry per node and the synthesized master. Replayed: the live
// trees, with the gathered server VEGA as the master.
TEST_F(ClientsEndToEnd, OneEntryPerNodeAndTheMasterLiveAndReplayed) {
  std::string names;
  std::map<std::string, std::string> live = Discover(&names);
  EXPECT_EQ(names, "APPSRV02,DBAIX01,FILESRV01,LABX01,LAB_01,MAILSUN,STUDIO-MAC,VEGA,WEB01," + GetHostName());
  // The synthesized master entry: master and media server, no agent.
  EXPECT_EQ(live[GetHostName()], "components 1 11\n");
  // WEB01: the two default subclients, then one per schedule.
  const std::string props =
      " compression=0#2 cross mount point=0#2 Enable Backup=1#2 TSM Foreign Subclient=1#2]\n";
  EXPECT_EQ(live["WEB01"],
            "components 3 4\npod 29 Linux File System 8192\n DefaultInstanceName\n  defaultBackupSet 8\n"
            "   default 8 [=/#1]\n   OnDemand 2 [=/#1]\n   DAILY_INCR 0 [=\\#1] [priority=5#3" +
                props + "   HOURLY_LOGS 0 [=/var/log/*\\/\\/#1 =/opt/app/logs/*\\/\\/#1] [priority=3#3" +
                props + "   WEEKLY_SEL 0 [=/etc/*\\/\\/#1 =/home/*\\/\\/#1] [priority=4#3" + props);

  std::map<std::string, std::string> replay = Discover(&names, /*replay=*/true);
  ASSERT_EQ(live.size(), 10u);
  ASSERT_EQ(replay.size(), 9u);
  for (const auto& [name, tree] : replay) {
    SCOPED_TRACE(name);
    std::string expected = live[name];
    if (name == "VEGA") expected.replace(0, std::string("components 3 4").size(), "components 1 11 3 4");
    EXPECT_EQ(tree, expected);
  }
}

}  // namespace
