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

using testsupport::BinDir;
using testsupport::ListDir;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::SourceDir;
using testsupport::TempDir;
using testsupport::WriteFile;

// A parsed hand-over file with XPath look-ups.
class XmlDoc {
 public:
  explicit XmlDoc(const std::string& path) : doc_(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET)) {}
  ~XmlDoc() {
    if (doc_ != nullptr) xmlFreeDoc(doc_);
  }
  XmlDoc(const XmlDoc&) = delete;
  XmlDoc& operator=(const XmlDoc&) = delete;
  bool ok() const { return doc_ != nullptr; }

  // Text of every node the expression selects, in document order.
  std::vector<std::string> Texts(const std::string& xpath, xmlNodePtr context = nullptr) const {
    std::vector<std::string> texts;
    for (xmlNodePtr node : Nodes(xpath, context)) {
      xmlChar* content = xmlNodeGetContent(node);
      texts.emplace_back(content != nullptr ? reinterpret_cast<const char*>(content) : "");
      xmlFree(content);
    }
    return texts;
  }
  std::vector<xmlNodePtr> Nodes(const std::string& xpath, xmlNodePtr context = nullptr) const {
    std::vector<xmlNodePtr> nodes;
    if (doc_ == nullptr) return nodes;
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc_);
    if (context != nullptr) ctx->node = context;
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), ctx);
    if (result != nullptr && result->nodesetval != nullptr) {
      for (int i = 0; i < result->nodesetval->nodeNr; ++i) nodes.push_back(result->nodesetval->nodeTab[i]);
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    return nodes;
  }

 private:
  xmlDocPtr doc_;
};

// Paths inside App::ClientsList.
const char kEntries[] = "/message[@type='App::ClientsList']/field[@name='clients']/message";
const char kClient[] = "field[@name='client']/message";
const char kName[] =
    "field[@name='client']/message/field[@name='clientEntity']/message/field[@name='clientName']";
const char kComponents[] =
    "field[@name='client']/message/field[@name='components']/message/field[@name='componentEntity']/message/"
    "field[@name='componentType']";
const char kSubclients[] =
    "field[@name='client']/message/field[@name='pods']/message/field[@name='instances']/message/"
    "field[@name='backupSets']/message/field[@name='subclients']/message";

std::string Join(const std::vector<std::string>& parts, const char* separator = ",") {
  std::string joined;
  for (const std::string& p : parts) joined += (joined.empty() ? "" : separator) + p;
  return joined;
}

// Per node name: the components and every subclient with its content and
// properties, as one line each.
std::map<std::string, std::string> EntryTrees(const XmlDoc& doc) {
  std::map<std::string, std::string> trees;
  for (xmlNodePtr entry : doc.Nodes(kEntries)) {
    std::string tree = "components " + Join(doc.Texts(kComponents, entry)) + "\n";
    for (xmlNodePtr subclient : doc.Nodes(kSubclients, entry)) {
      tree += Join(doc.Texts("field[@name='subclientEntity']/message/field", subclient)) + " " +
              Join(doc.Texts("field[@name='field6']", subclient)) + " [" +
              Join(doc.Texts("field[@name='content']/message/field[@name='value']", subclient), " ") + "] [" +
              Join(doc.Texts("field[@name='properties']/message/field", subclient), " ") + "]\n";
    }
    std::vector<std::string> names = doc.Texts(kName, entry);
    trees[names.empty() ? "" : names[0]] = tree;
  }
  return trees;
}

class ClientsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::FileExists(BinDir() + "/tsm-discover") ||
        !testsupport::FileExists(BinDir() + "/dsmadmc")) {
      GTEST_SKIP() << "tsm-discover or the dsmadmc simulator is not built";
    }
    // The simulator writes its output files next to itself: give it a
    // directory of its own, pointed at the sample site.
    WriteFile(work_.file("dsmadmc"), ReadFile(BinDir() + "/dsmadmc"));
    ::chmod(work_.file("dsmadmc").c_str(), 0755);
    WriteFile(work_.file("dsmadmc-sim.site"), SourceDir() + "/samples/site\n");
  }

  // tsm-discover run --only clients; `replay` reads the gathered set.
  toolstest::ProgramResult Discover(const std::string& password, bool replay = false) {
    WriteFile(pw_.file("password"), password + "\n");
    std::vector<std::string> argv = {
        BinDir() + "/tsm-discover", "run",   "--login",   "ADMIN",  "--password-file",
        pw_.file("password"),       "--out", out_.path(), "--only", "clients"};
    if (replay) {
      argv.insert(argv.end(), {"--replay", SourceDir() + "/samples/replay"});
    } else {
      argv.insert(argv.end(), {"--dsmadmc-dir", work_.path()});
    }
    return toolstest::RunProgram(argv);
  }
  std::vector<std::string> Replies() const {
    std::vector<std::string> replies;
    for (const std::string& f : ListDir(out_.path())) {
      if (f.find(".xml") != std::string::npos) replies.push_back(f);
    }
    return replies;
  }

  ScopedEnv noSite_{"DSMADMC_SIM_SITE", nullptr};
  TempDir work_;
  TempDir out_;
  TempDir pw_;
};

TEST_F(ClientsEndToEnd, LiveRunHandsOverOneEntryPerNodeAndTheMaster) {
  toolstest::ProgramResult run = Discover("Orbit7-Demo");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  ASSERT_EQ(Replies(), std::vector<std::string>{"000001-App.ClientsList.xml"});
  XmlDoc doc(out_.file("000001-App.ClientsList.xml"));
  ASSERT_TRUE(doc.ok());

  const std::string host = GetHostName();
  EXPECT_EQ(doc.Texts(std::string(kEntries) + "/" + kName),
            (std::vector<std::string>{"APPSRV02", "DBAIX01", "FILESRV01", "LABX01", "LAB_01", "MAILSUN",
                                      "STUDIO-MAC", "VEGA", "WEB01", host}));
  std::vector<xmlNodePtr> entries = doc.Nodes(kEntries);
  ASSERT_EQ(entries.size(), 10u);
  // The synthesized master entry: master and media server, no agent.
  EXPECT_EQ(Join(doc.Texts(kComponents, entries[9])), "1,11");
  EXPECT_EQ(doc.Texts(std::string(kClient) + "/field[@name='installDirectory']", entries[9]),
            std::vector<std::string>{work_.path() + "/"});  // as tsm-discover passes it
  EXPECT_TRUE(doc.Nodes(kSubclients, entries[9]).empty());
  // An empty host name column gives the node name.
  EXPECT_EQ(doc.Texts(std::string(kClient) + "/field[@name='clientEntity']/message/field[@name='hostName']",
                      entries[0]),
            std::vector<std::string>{"APPSRV02"});

  // WEB01: the two default subclients, then one per schedule.
  std::map<std::string, std::string> trees = EntryTrees(doc);
  EXPECT_EQ(
      trees["WEB01"],
      "components 3,4\n"
      "default 8 [/] []\n"
      "OnDemand 2 [/] []\n"
      "DAILY_INCR 0 [\\] [priority 3 5 compression 2 0 cross mount point 2 0 Enable Backup 2 1 "
      "TSM Foreign Subclient 2 1]\n"
      "HOURLY_LOGS 0 [/var/log/*\\/\\/ /opt/app/logs/*\\/\\/] [priority 3 3 compression 2 0 cross mount "
      "point 2 0 Enable Backup 2 1 TSM Foreign Subclient 2 1]\n"
      "WEEKLY_SEL 0 [/etc/*\\/\\/ /home/*\\/\\/] [priority 3 4 compression 2 0 cross mount point 2 0 "
      "Enable Backup 2 1 TSM Foreign Subclient 2 1]\n");
}

TEST_F(ClientsEndToEnd, ReplayGivesTheLiveTreesWithTheGatheredServerAsMaster) {
  ASSERT_EQ(Discover("Orbit7-Demo").status, 0);
  std::map<std::string, std::string> live = EntryTrees(XmlDoc(out_.file("000001-App.ClientsList.xml")));
  testsupport::RemoveTree(out_.file("000001-App.ClientsList.xml"));
  toolstest::ProgramResult run = Discover("Orbit7-Demo", /*replay=*/true);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  std::map<std::string, std::string> replay = EntryTrees(XmlDoc(out_.file("000001-App.ClientsList.xml")));

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
  toolstest::ProgramResult run = Discover("not-the-password");
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  ASSERT_EQ(Replies(), std::vector<std::string>{"000001-sent-FDC.DiscoveryError.xml"});
  XmlDoc doc(out_.file("000001-sent-FDC.DiscoveryError.xml"));
  EXPECT_EQ(doc.Texts("/message[@type='FDC::DiscoveryError']/field[@name='errorCode']"),
            std::vector<std::string>{"2"});
  EXPECT_EQ(doc.Texts("/message/field[@name='errorText']"),
            std::vector<std::string>{"DB access password validation failed"});
}

}  // namespace
