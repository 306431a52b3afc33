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

using clienttest::NodeLine;
using namespace testsupport;

// "name/hostname" of each node parsed from `content` (no file when empty)
// with node filter `filter`, blank-separated; "failed" when the parser
// fails. The records go to `nodes` when given.
std::string ParseNodes(const std::string& content, const std::string& filter = "",
                       std::vector<TSMClientInfo>* nodes = nullptr) {
  Workspace w;
  w.Save("ixr_node.txt", content);
  CTSMClients fetcher;
  fetcher.SetNodeName(filter);
  std::vector<TSMClientInfo> parsed;
  if (!fetcher._ParseData(&parsed, std::vector<std::string>())) return "failed";
  std::string names;
  for (const TSMClientInfo& n : parsed)
    names += (names.empty() ? "" : " ") + n.get_NodeName() + "/" + n.get_Hostname();
  if (nodes != nullptr) *nodes = parsed;
  return names;
}

TEST(NodeQuery, HeaderTokenCountAndFilter) {
  const auto line = [](const std::string& name, size_t tokens = 33) {
    return NodeLine({name, "Linux86", "2.6", "v", "Client", "No", "h"}, tokens) + "\n";
  };
  // Header lines, line ends and the empty last field are the form A
  // reader's and the trailing field test's.
  const std::string a = line("A"), b = line("B");
  const std::string cases[][4] = {
      {"data only: nothing dropped as header", a + b, "", "A/h B/h"},
      {"33 tokens kept, 32 dropped", line("A", 32) + b, "", "B/h"},
      {"more than 33 tokens kept", line("A", 40), "", "A/h"},
      {"filter keeps the named node only", a + b, "B", "B/h"},
      {"filter compares case-sensitively", a + b, "b", ""},
      {"filter with a blank is refused", a + b, "A B", "failed"},
      {"filter with a quote is refused", a + b, "A\"", "failed"},
      {"missing file fails", "", "", "failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(ParseNodes(c[1], c[2]), c[3]);
  }
}

TEST(NodeQuery, RecordColumnsAndCommandLine) {
  std::vector<TSMClientInfo> nodes;  // the version column is quoted: it holds a comma
  ParseNodes(
      NodeLine({"WEB01", "WinNT", "6.01", "Version 6, release 3", "Client", "Yes", "web01.example.com"}) +
          "\n",
      "", &nodes);
  ASSERT_EQ(nodes.size(), 1u);
  const TSMClientInfo& n = nodes[0];
  EXPECT_EQ(n.NodeName + "|" + n.Platform + "|" + n.OSVersion + "|" + n.ClientVersion + "|" + n.Compression +
                "|" + n.CrossMount + "|" + n.Hostname + "|" + n.InstallDirectory,
            "WEB01|WinNT|6.01|Version 6, release 3|Client|Yes|web01.example.com|N/A");
  EXPECT_FALSE(n.get_isMasterServer());
  // The whole line is in commands_test.cpp; here where the filter goes.
  ScopedExistingFiles live(false, "");
  CTSMClients fetcher;
  fetcher.SetNodeName("NODE1");
  EXPECT_NE(fetcher._GetCommandLine().find("query node NODE1 format=detailed"), std::string::npos);
  fetcher.SetNodeName("NODE'1");
  EXPECT_EQ(fetcher._GetCommandLine(), "*_s?k?i?p_*");
}

// Banners and message lines are the data-only layout's (reader table).
TEST(MasterServer, LiveNameIsTheHostNameReplayTheTrimmedFirstDataLine) {
  struct Case {
    bool replay;
    const char* content;  // null: no file
    std::string name;     // empty: the host name
  } cases[] = {{false, "srv00", ""},
               {true, "  srv01\r\nsecond\n", "srv01"},
               {true, nullptr, ""},
               {true, "   \nsrv03\n", "srv03"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content == nullptr ? "missing file" : c.content);
    TempDir gathered;
    if (c.content != nullptr) WriteFile(gathered.file("ixr_server.txt"), c.content);
    ScopedExistingFiles replay(c.replay, gathered.path() + "/");
    std::string name = "stale";
    ASSERT_TRUE(CTSMMasterServer().FetchData(&name));
    EXPECT_EQ(name, c.name.empty() ? GetHostName() : c.name);
  }
}

}  // namespace
