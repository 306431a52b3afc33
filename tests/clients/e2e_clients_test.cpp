// Client discovery end to end: tsm-discover loads the plug-in and runs
// DiscoverClients against the dsmadmc simulator serving the sample site,
// or over the replay set gathered from it. The client list is checked in
// the handed-over XML.
#include <gtest/gtest.h>
#include <sys/stat.h>

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
  void SetUp() override {
    if (!FileExists(BinDir() + "/tsm-discover") || !FileExists(BinDir() + "/dsmadmc")) {
      GTEST_SKIP() << "tsm-discover or the dsmadmc simulator is not built";
    }
    // The simulator writes its output files next to itself: give it a
    // directory of its own, pointed at the sample site.
    WriteFile(work_.file("dsmadmc"), ReadFile(BinDir() + "/dsmadmc"));
    ::chmod(work_.file("dsmadmc").c_str(), 0755);
    WriteFile(work_.file("dsmadmc-sim.site"), SourceDir() + "/samples/site\n");
  }

  // tsm-discover run --only clients, live or over the gathered set; the
  // reply files handed over.
  std::string Discover(const std::string& password, bool replay = false) {
    WriteFile(work_.file("password"), password + "\n");
    std::vector<std::string> argv = {
        BinDir() + "/tsm-discover", "run",   "--login",   "ADMIN",  "--password-file",
        work_.file("password"),     "--out", out_.path(), "--only", "clients"};
    argv.insert(argv.end(), {replay ? "--replay" : "--dsmadmc-dir",
                             replay ? SourceDir() + "/samples/replay" : work_.path()});
    ProgramResult run = RunProgram(argv);
    EXPECT_EQ(run.status, password == kPassword ? 0 : 1) << run.out << run.err;
    std::string replies;
    for (const std::string& f : ListDir(out_.path())) replies += f.find(".xml") != std::string::npos ? f : "";
    return replies;
  }
  static constexpr const char* kPassword = "Orbit7-Demo";
  ScopedEnv noSite_{"DSMADMC_SIM_SITE", nullptr};
  TempDir work_, out_;
};

TEST_F(ClientsEndToEnd, LiveRunHandsOverOneEntryPerNodeAndTheMaster) {
  ASSERT_EQ(Discover(kPassword), "000001-App.ClientsList.xml");
  const std::string list = out_.file("000001-App.ClientsList.xml");
  EXPECT_EQ(Texts(list, "/message[@type='App::ClientsList']/field[@name='clients']/message" + kName),
            "APPSRV02,DBAIX01,FILESRV01,LABX01,LAB_01,MAILSUN,STUDIO-MAC,VEGA,WEB01," + GetHostName());
  // The synthesized master entry: master and media server, no agent.
  std::map<std::string, std::string> trees = EntryTrees(list);
  EXPECT_EQ(trees[GetHostName()], "components 1,11\n");
  // WEB01: the two default subclients, then one per schedule.
  const std::string props =
      " compression 2 0 cross mount point 2 0 Enable Backup 2 1 TSM Foreign Subclient 2 1]\n";
  EXPECT_EQ(trees["WEB01"],
            "components 3,4\ndefault 8 [/] []\nOnDemand 2 [/] []\nDAILY_INCR 0 [\\] [priority 3 5" + props +
                "HOURLY_LOGS 0 [/var/log/*\\/\\/ /opt/app/logs/*\\/\\/] [priority 3 3" + props +
                "WEEKLY_SEL 0 [/etc/*\\/\\/ /home/*\\/\\/] [priority 3 4" + props);
}

TEST_F(ClientsEndToEnd, ReplayGivesTheLiveTreesWithTheGatheredServerAsMaster) {
  Discover(kPassword);
  std::map<std::string, std::string> live = EntryTrees(out_.file("000001-App.ClientsList.xml"));
  RemoveTree(out_.file("000001-App.ClientsList.xml"));
  ASSERT_EQ(Discover(kPassword, /*replay=*/true), "000001-App.ClientsList.xml");
  std::map<std::string, std::string> replay = EntryTrees(out_.file("000001-App.ClientsList.xml"));
  // The gathered server name is VEGA: its node carries the master parts
  // and no entry is synthesized for this machine.
  ASSERT_EQ(live.size(), 10u);
  ASSERT_EQ(replay.size(), 9u);
  EXPECT_EQ(live.count(GetHostName()), 1u);
  for (const auto& [name, tree] : replay) {
    SCOPED_TRACE(name);
    std::string expected = live[name];
    if (name == "VEGA") expected.replace(0, std::string("components 3,4").size(), "components 1,11,3,4");
    EXPECT_EQ(tree, expected);
  }
}

TEST_F(ClientsEndToEnd, WrongPasswordSendsOnePasswordStatusAndNoList) {
  ASSERT_EQ(Discover("not-the-password"), "000001-sent-FDC.DiscoveryError.xml");
  const std::string sent = out_.file("000001-sent-FDC.DiscoveryError.xml");
  EXPECT_EQ(Texts(sent, "/message[@type='FDC::DiscoveryError']/field[@name='errorCode']"), "2");
  EXPECT_EQ(Texts(sent, "/message/field[@name='errorText']"), "DB access password validation failed");
}

}  // namespace
