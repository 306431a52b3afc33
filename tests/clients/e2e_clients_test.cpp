// Client discovery end to end: tsm-discover loads the plug-in and runs
// DiscoverClients against the dsmadmc simulator serving the sample site,
// or over the replay set gathered from it. The client list is checked in
// the handed-over XML.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <sys/stat.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/ZyUtil.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/RunProgram.h"

namespace {

using namespace testsupport;

// A parsed hand-over file (null when unreadable) and XPath look-ups in it.
using XmlDoc = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;
XmlDoc Load(const std::string& path) {
  return XmlDoc(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET), xmlFreeDoc);
}

std::vector<xmlNodePtr> Nodes(const XmlDoc& doc, const std::string& xpath, xmlNodePtr context = nullptr) {
  std::vector<xmlNodePtr> nodes;
  if (doc == nullptr) return nodes;
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc.get());
  ctx->node = context;
  xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), ctx);
  for (int i = 0; result != nullptr && result->nodesetval != nullptr && i < result->nodesetval->nodeNr; ++i) {
    nodes.push_back(result->nodesetval->nodeTab[i]);
  }
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(ctx);
  return nodes;
}

// Text of every node the expression selects, in document order, joined.
std::string Texts(const XmlDoc& doc, const std::string& xpath, xmlNodePtr context = nullptr,
                  const char* sep = ",") {
  std::string texts;
  for (xmlNodePtr node : Nodes(doc, xpath, context)) {
    xmlChar* content = xmlNodeGetContent(node);
    texts += (texts.empty() ? "" : sep) +
             std::string(content != nullptr ? reinterpret_cast<const char*>(content) : "");
    xmlFree(content);
  }
  return texts;
}

// Paths inside App::ClientsList.
const char kEntries[] = "/message[@type='App::ClientsList']/field[@name='clients']/message";
const std::string kClient = "field[@name='client']/message/";
const std::string kName = kClient + "field[@name='clientEntity']/message/field[@name='clientName']";
const std::string kComponents =
    kClient +
    "field[@name='components']/message/field[@name='componentEntity']/message/field[@name='componentType']";
const std::string kSubclients = kClient +
                                "field[@name='pods']/message/field[@name='instances']/message/"
                                "field[@name='backupSets']/message/field[@name='subclients']/message";

// Per node name: the components and every subclient with its content and
// properties, as one line each.
std::map<std::string, std::string> EntryTrees(const XmlDoc& doc) {
  std::map<std::string, std::string> trees;
  for (xmlNodePtr entry : Nodes(doc, kEntries)) {
    std::string tree = "components " + Texts(doc, kComponents, entry) + "\n";
    for (xmlNodePtr sc : Nodes(doc, kSubclients, entry)) {
      tree += Texts(doc, "field[@name='subclientEntity']/message/field", sc) + " " +
              Texts(doc, "field[@name='field6']", sc) + " [" +
              Texts(doc, "field[@name='content']/message/field[@name='value']", sc, " ") + "] [" +
              Texts(doc, "field[@name='properties']/message/field", sc, " ") + "]\n";
    }
    trees[Texts(doc, kName, entry)] = tree;
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
    toolstest::ProgramResult run = toolstest::RunProgram(argv);
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
  XmlDoc doc = Load(out_.file("000001-App.ClientsList.xml"));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(Texts(doc, std::string(kEntries) + "/" + kName),
            "APPSRV02,DBAIX01,FILESRV01,LABX01,LAB_01,MAILSUN,STUDIO-MAC,VEGA,WEB01," + GetHostName());
  std::vector<xmlNodePtr> entries = Nodes(doc, kEntries);
  ASSERT_EQ(entries.size(), 10u);
  // The synthesized master entry: master and media server, no agent, the
  // directory as tsm-discover passes it.
  EXPECT_EQ(EntryTrees(doc)[GetHostName()], "components 1,11\n");
  EXPECT_EQ(Texts(doc, kClient + "field[@name='installDirectory']", entries[9]), work_.path() + "/");
  // An empty host name column gives the node name.
  EXPECT_EQ(Texts(doc, kClient + "field[@name='clientEntity']/message/field[@name='hostName']", entries[0]),
            "APPSRV02");
  // WEB01: the two default subclients, then one per schedule.
  const std::string props =
      " compression 2 0 cross mount point 2 0 Enable Backup 2 1 TSM Foreign Subclient 2 1]\n";
  EXPECT_EQ(EntryTrees(doc)["WEB01"],
            "components 3,4\ndefault 8 [/] []\nOnDemand 2 [/] []\nDAILY_INCR 0 [\\] [priority 3 5" + props +
                "HOURLY_LOGS 0 [/var/log/*\\/\\/ /opt/app/logs/*\\/\\/] [priority 3 3" + props +
                "WEEKLY_SEL 0 [/etc/*\\/\\/ /home/*\\/\\/] [priority 3 4" + props);
}

TEST_F(ClientsEndToEnd, ReplayGivesTheLiveTreesWithTheGatheredServerAsMaster) {
  Discover(kPassword);
  std::map<std::string, std::string> live = EntryTrees(Load(out_.file("000001-App.ClientsList.xml")));
  RemoveTree(out_.file("000001-App.ClientsList.xml"));
  ASSERT_EQ(Discover(kPassword, /*replay=*/true), "000001-App.ClientsList.xml");
  std::map<std::string, std::string> replay = EntryTrees(Load(out_.file("000001-App.ClientsList.xml")));
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
  XmlDoc doc = Load(out_.file("000001-sent-FDC.DiscoveryError.xml"));
  EXPECT_EQ(Texts(doc, "/message[@type='FDC::DiscoveryError']/field[@name='errorCode']"), "2");
  EXPECT_EQ(Texts(doc, "/message/field[@name='errorText']"), "DB access password validation failed");
}

}  // namespace
