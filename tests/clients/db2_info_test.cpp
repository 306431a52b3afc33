// DB2 agents: the DB2 select of a node and the agent built from it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "clients/CForeignHandlerTSMDB2.h"
#include "clients/ClientFields.h"
#include "clients/TSMClientInfo.h"
#include "host/Messages.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace clientfields;
using namespace clienttest;
using namespace testsupport;

const char kHeader[] = "ANS8000I Server command: 'select'\nOWNER,FILESPACE_NAME\nx,y\n\n";

class DB2Test : public ::testing::Test {
 protected:
  // The tree of the DB2 agent of node db01 whose select answers `rows`.
  std::string BuildAgent(const std::string& rows, bool built = true) {
    fake_.On("ixr_db2_DB01.txt", std::string(kHeader) + rows);
    TSMClientInfo record;
    record.set_NodeName("db01");
    App::Client client;
    EXPECT_EQ(record.SetDB2PodInfo(&client), built);
    return IsSet(&client, kClientPods) ? Tree(&client) : "none";
  }

  TempDir dir_;
  ScopedChdir cd_{dir_.path()};
  ScopedExistingFiles live_{false, ""};
  FakeDsmadmc fake_;
};

TEST_F(DB2Test, CommandUsesTheUpperCaseNodeAndEscapesQuotes) {
  CTSMDB2Info fetcher;
  fetcher.SetBinaryPath("/opt/tsm");
  fetcher.SetLogin("admin");
  fetcher.SetPassword("pw");
  fetcher.set_clientName("db01");
  EXPECT_STREQ(fetcher._GetFileNameForData(), "ixr_db2_DB01.txt");
  EXPECT_EQ(fetcher._GetCommandLine(),
            "\"/opt/tsm/dsmadmc\" -id=admin -password=pw -outfile=ixr_db2_DB01.txt -dateformat=1 -comma "
            " select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, filespaces ff where bb.node_name = "
            "'DB01'  and bb.FILESPACE_ID = ff.FILESPACE_ID AND ff.FILESPACE_TYPE LIKE 'API:DB2%' ");
  fetcher.set_clientName("o'brien");
  EXPECT_NE(fetcher._GetCommandLine().find("bb.node_name = 'O''BRIEN'  and"), std::string::npos);
}

TEST_F(DB2Test, ParserKeepsTwoFieldLinesAfterTheHeader) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* what;
    std::string content;
    Pairs pairs;
  } cases[] = {
      {"header lines dropped even when they hold pairs",
       "a,b\nc,d\ne,f\ng,h\ndb2inst1,SAMPLE\n",
       {{"db2inst1", "SAMPLE"}}},
      {"empty owner", std::string(kHeader) + ",SAMPLE\n", {{"DefaultInstance", "SAMPLE"}}},
      {"other field counts dropped",
       std::string(kHeader) + "one\na,b,c\ni,DB\n\nANR2034E no match\n",
       {{"i", "DB"}}},
      {"order kept", std::string(kHeader) + "i2,B\ni1,A\n", {{"i2", "B"}, {"i1", "A"}}},
      {"header only", kHeader, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(dir_.file("ixr_db2_N.txt"), c.content);
    CTSMDB2Info fetcher;
    fetcher.set_clientName("n");
    ASSERT_TRUE(fetcher._ParseData(nullptr, std::string("ixr_db2_N.txt")));
    EXPECT_EQ(*fetcher.get_db2info(), c.pairs);
  }
}

TEST_F(DB2Test, NamesThatLeaveTheDirectoryAreRefused) {
  for (const char* name : {"", ".", "..", "../etc", "a/b"}) {
    SCOPED_TRACE(name);
    LogCapture log;
    CTSMDB2Info fetcher;
    fetcher.set_clientName(name);
    EXPECT_FALSE(fetcher.FetchData(nullptr));
    EXPECT_NE(log.text().find("Refusing node name"), std::string::npos);
  }
  EXPECT_TRUE(fake_.commands().empty());
}

TEST_F(DB2Test, AgentGroupsDatabasesByInstance) {
  // Instances differing in case stay apart; database names lose slashes
  // and blanks at both ends.
  EXPECT_EQ(BuildAgent("db2inst1,/SAMPLE\nDB2INST1,B\n,C\ndb2inst1,/ /TOOLSDB/ \ni,/a b/\n"),
            "components\npod 37 DB2 8194\n"
            " db2inst1\n  SAMPLE 8194\n   default 8194\n  TOOLSDB 8194\n   default 8194\n"
            " DB2INST1\n  B 8194\n   default 8194\n"
            " DefaultInstance\n  C 8194\n   default 8194\n"
            " i\n  a b 8194\n   default 8194\n");
}

TEST_F(DB2Test, NoPairOrFailedQueryAddsNothing) {
  EXPECT_EQ(BuildAgent("", /*built=*/false), "none");
  FakeDsmadmc failing;  // installed in place of fake_
  failing.FailOn("ixr_db2_DB01.txt", 1);
  LogCapture log;
  EXPECT_EQ(BuildAgent("db2inst1,SAMPLE\n", /*built=*/false), "none");
  EXPECT_NE(log.text().find("Failed to get DB2 Information for [db01]"), std::string::npos);
}

}  // namespace
