// The node query: command line and parser of "ixr_node.txt".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clients/CForeignHandlerTSMClient.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using clienttest::NodeColumns;
using clienttest::NodeLine;
using clienttest::ScopedExistingFiles;
using testsupport::LogCapture;
using testsupport::ScopedChdir;
using testsupport::TempDir;
using testsupport::WriteFile;

class NodeQueryTest : public ::testing::Test {
 protected:
  // Parses `content` as ixr_node.txt with the node filter `filter`.
  bool Parse(const std::string& content, const std::string& filter = "") {
    WriteFile(dir_.file("ixr_node.txt"), content);
    CTSMClients fetcher;
    fetcher.SetNodeName(filter);
    return fetcher._ParseData(&nodes_, std::vector<std::string>());
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const TSMClientInfo& n : nodes_) names.push_back(n.get_NodeName());
    return names;
  }

  TempDir dir_;
  ScopedChdir cd_{dir_.path()};
  ScopedExistingFiles live_{false, ""};
  std::vector<TSMClientInfo> nodes_;
};

NodeColumns Node(const std::string& name) {
  NodeColumns c;
  c.name = name;
  return c;
}

TEST_F(NodeQueryTest, HeaderRuleAndLineFilters) {
  const std::string a = NodeLine(Node("A"));
  const std::string b = NodeLine(Node("B"));
  struct Case {
    const char* what;
    std::string content;
    std::string filter;
    std::vector<std::string> names;
  } cases[] = {
      {"data only: nothing dropped as header", a + "\n" + b + "\n", "", {"A", "B"}},
      {"one-token first line: four header lines dropped",
       "Session established\n" + a + "\nthird\nfourth\n" + b + "\n",
       "",
       {"B"}},
      {"33 tokens kept, 32 dropped",
       NodeLine(Node("A"), 32) + "\n" + NodeLine(Node("B"), 33) + "\n",
       "",
       {"B"}},
      {"more than 33 tokens kept", NodeLine(Node("A"), 40) + "\n", "", {"A"}},
      {"empty line ends the file", a + "\n\n" + b + "\n", "", {"A"}},
      {"filter keeps the named node only", a + "\n" + b + "\n", "B", {"B"}},
      {"filter compares case-sensitively", a + "\n" + b + "\n", "b", {}},
      {"CRLF lines", a + "\r\n" + b + "\r\n", "", {"A", "B"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nodes_.clear();
    EXPECT_TRUE(Parse(c.content, c.filter));
    EXPECT_EQ(Names(), c.names);
  }
}

TEST_F(NodeQueryTest, FillsRecordFromItsColumns) {
  NodeColumns c;
  c.name = "WEB01";
  c.platform = "WinNT";
  c.osLevel = "6.01";
  c.clientVersion = "Version 6, release 3";  // quoted: holds a comma
  c.compression = "Client";
  c.crossMount = "Yes";
  c.hostname = "web01.example.com";
  ASSERT_TRUE(Parse(NodeLine(c) + "\n"));
  ASSERT_EQ(nodes_.size(), 1u);
  const TSMClientInfo& n = nodes_[0];
  EXPECT_EQ(n.NodeName, "WEB01");
  EXPECT_EQ(n.Platform, "WinNT");
  EXPECT_EQ(n.OSVersion, "6.01");
  EXPECT_EQ(n.ClientVersion, "Version 6, release 3");
  EXPECT_EQ(n.Compression, "Client");
  EXPECT_EQ(n.CrossMount, "Yes");
  EXPECT_EQ(n.Hostname, "web01.example.com");
  EXPECT_EQ(n.InstallDirectory, "N/A");
  EXPECT_FALSE(n.get_isMasterServer());
  EXPECT_TRUE(n.login.empty());
  EXPECT_TRUE(n.password.empty());
}

TEST_F(NodeQueryTest, EmptyHostnameColumnFallsBackToNodeName) {
  NodeColumns c = Node("DB01");
  c.hostname = "";
  ASSERT_TRUE(Parse(NodeLine(c) + "\n"));
  ASSERT_EQ(nodes_.size(), 1u);
  EXPECT_EQ(nodes_[0].get_Hostname(), "DB01");
}

TEST_F(NodeQueryTest, ShortLineIsLoggedAndSkipped) {
  LogCapture log;
  ASSERT_TRUE(Parse(NodeLine(Node("A"), 32) + "\n"));
  EXPECT_TRUE(nodes_.empty());
  EXPECT_NE(log.text().find("tokens [32] lesser than minimum number of tokens [33]"), std::string::npos);
}

TEST_F(NodeQueryTest, MissingFileFailsAndAppendsNothing) {
  CTSMClients fetcher;
  fetcher.SetNodeName("");
  EXPECT_FALSE(fetcher._ParseData(&nodes_, std::vector<std::string>()));
  EXPECT_TRUE(nodes_.empty());
}

TEST_F(NodeQueryTest, ExistingFilesAreReadBehindTheirPrefix) {
  TempDir gathered;
  WriteFile(gathered.file("ixr_node.txt"), NodeLine(Node("OLD")) + "\n");
  ScopedExistingFiles replay(true, gathered.path() + "/");
  CTSMClients fetcher;
  fetcher.SetNodeName("");
  ASSERT_TRUE(fetcher.FetchData(&nodes_));
  EXPECT_EQ(Names(), std::vector<std::string>{"OLD"});
}

TEST(NodeQueryCommand, FormAWithDetailedNodeQuery) {
  ScopedExistingFiles live(false, "");
  CTSMClients fetcher;
  fetcher.SetBinaryPath("/opt/tsm/bin");
  fetcher.SetLogin("admin");
  fetcher.SetPassword("secret");
  fetcher.SetNodeName("");
  EXPECT_EQ(fetcher.GetOutputFileName(), "ixr_node.txt");
  EXPECT_EQ(fetcher._GetCommandLine(),
            "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=secret -outfile=ixr_node.txt"
            " -dataonly=yes -dateformat=1 -comma query node  format=detailed");
  fetcher.SetNodeName("NODE1");
  EXPECT_EQ(fetcher.GetOutputFileName(), "ixr_node.txt");
  EXPECT_NE(fetcher._GetCommandLine().find("query node NODE1 format=detailed"), std::string::npos);
}

TEST(NodeQueryCommand, SkipsUnderExistingFiles) {
  ScopedExistingFiles replay(true, "/somewhere/");
  CTSMClients fetcher;
  fetcher.SetNodeName("");
  EXPECT_EQ(fetcher._GetCommandLine(), CForeignCmdExecBase::kSkipMarker);
}

}  // namespace
