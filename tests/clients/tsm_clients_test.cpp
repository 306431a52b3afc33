// The node query (command line, parser of "ixr_node.txt") and the server
// name fetcher.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clients/CForeignHandlerTSMClient.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using clienttest::NodeColumns;
using clienttest::NodeLine;
using namespace testsupport;

NodeColumns Node(const std::string& name, const std::string& hostname = "h") {
  NodeColumns c;
  c.name = name;
  c.hostname = hostname;
  return c;
}

// "name/hostname" of each node parsed from `content` with node filter
// `filter`; "failed" when the parser fails.
std::vector<std::string> ParseNodes(const std::string& content, const std::string& filter = "") {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  if (!content.empty()) WriteFile("ixr_node.txt", content);
  CTSMClients fetcher;
  fetcher.SetNodeName(filter);
  std::vector<TSMClientInfo> nodes;
  if (!fetcher._ParseData(&nodes, std::vector<std::string>())) return {"failed"};
  std::vector<std::string> names;
  for (const TSMClientInfo& n : nodes) names.push_back(n.get_NodeName() + "/" + n.get_Hostname());
  return names;
}

TEST(NodeQuery, HeaderTokenCountAndFilter) {
  const std::string a = NodeLine(Node("A")), b = NodeLine(Node("B"));
  struct Case {
    const char* what;
    std::string content, filter;
    std::vector<std::string> names;
  } cases[] = {
      {"data only: nothing dropped as header", a + "\n" + b + "\n", "", {"A/h", "B/h"}},
      {"one-token first line: four header lines dropped",
       "Session established\n" + a + "\n3\n4\n" + b + "\n",
       "",
       {"B/h"}},
      {"33 tokens kept, 32 dropped", NodeLine(Node("A"), 32) + "\n" + b + "\n", "", {"B/h"}},
      {"more than 33 tokens kept", NodeLine(Node("A"), 40) + "\n", "", {"A/h"}},
      {"empty hostname column gives the node name", NodeLine(Node("DB01", "")) + "\n", "", {"DB01/DB01"}},
      {"empty line ends the file", a + "\n\n" + b + "\n", "", {"A/h"}},
      {"filter keeps the named node only", a + "\n" + b + "\n", "B", {"B/h"}},
      {"filter compares case-sensitively", a + "\n" + b + "\n", "b", {}},
      {"CRLF lines", a + "\r\n" + b + "\r\n", "", {"A/h", "B/h"}},
      {"missing file fails", "", "", {"failed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ParseNodes(c.content, c.filter), c.names);
  }
}

TEST(NodeQuery, FillsRecordFromItsColumns) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  NodeColumns c{"WEB01", "WinNT", "6.01", "Version 6, release 3", "Client", "Yes", "web01.example.com"};
  WriteFile("ixr_node.txt", NodeLine(c) + "\n");  // the version column is quoted: it holds a comma
  std::vector<TSMClientInfo> nodes;
  CTSMClients fetcher;
  fetcher.SetNodeName("");
  ASSERT_TRUE(fetcher._ParseData(&nodes, std::vector<std::string>()));
  ASSERT_EQ(nodes.size(), 1u);
  const TSMClientInfo& n = nodes[0];
  EXPECT_EQ(std::vector<std::string>({n.NodeName, n.Platform, n.OSVersion, n.ClientVersion, n.Compression,
                                      n.CrossMount, n.Hostname, n.InstallDirectory}),
            std::vector<std::string>({"WEB01", "WinNT", "6.01", "Version 6, release 3", "Client", "Yes",
                                      "web01.example.com", "N/A"}));
  EXPECT_FALSE(n.get_isMasterServer());
}

TEST(NodeQuery, CommandLineAndGatheredFiles) {
  {
    ScopedExistingFiles live(false, "");
    CTSMClients fetcher;
    fetcher.SetBinaryPath("/opt/tsm/bin");
    fetcher.SetLogin("admin");
    fetcher.SetPassword("secret");
    fetcher.SetNodeName("");
    EXPECT_EQ(fetcher._GetCommandLine(),
              "\"/opt/tsm/bin/dsmadmc\" -id=admin -password=secret -outfile=ixr_node.txt"
              " -dataonly=yes -dateformat=1 -comma query node  format=detailed");
    fetcher.SetNodeName("NODE1");
    EXPECT_NE(fetcher._GetCommandLine().find("query node NODE1 format=detailed"), std::string::npos);
  }
  TempDir gathered;
  WriteFile(gathered.file("ixr_node.txt"), NodeLine(Node("OLD")) + "\n");
  ScopedExistingFiles replay(true, gathered.path() + "/");
  CTSMClients fetcher;
  fetcher.SetNodeName("");
  EXPECT_EQ(fetcher._GetCommandLine(), CForeignCmdExecBase::kSkipMarker);
  std::vector<TSMClientInfo> nodes;
  ASSERT_TRUE(fetcher.FetchData(&nodes));
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].get_NodeName(), "OLD");
}

TEST(MasterServer, LiveNameIsTheHostNameReplayTheTrimmedFirstLine) {
  {
    ScopedExistingFiles live(false, "");
    std::string name = "stale";
    ASSERT_TRUE(CTSMMasterServer().FetchData(&name));
    EXPECT_EQ(name, GetHostName());
  }
  struct Case {
    const char* content;  // null: no file
    std::string name;     // empty: the host name
  } cases[] = {
      {"  srv01\r\nsecond\n", "srv01"}, {"srv02", "srv02"}, {"", ""}, {nullptr, ""}, {"   \nsrv03\n", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content == nullptr ? "missing file" : c.content);
    TempDir gathered;
    if (c.content != nullptr) WriteFile(gathered.file("ixr_server.txt"), c.content);
    ScopedExistingFiles replay(true, gathered.path() + "/");
    std::string name;
    ASSERT_TRUE(CTSMMasterServer().FetchData(&name));
    EXPECT_EQ(name, c.name.empty() ? GetHostName() : c.name);
  }
}

}  // namespace
