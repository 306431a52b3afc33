// DB2 agents: the DB2 select of a node and the agent built from it.
#include <gtest/gtest.h>

#include "clients/CForeignHandlerTSMDB2.h"
#include "host/MessageFields.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace zyfields;
using namespace clienttest;
using namespace testsupport;

// Four header lines, the third holding a pair: header lines are dropped
// whatever they hold.
const char kHeader[] = "ANS8000I Server command: 'select'\nOWNER,FILESPACE_NAME\nx,y\n\n";

class DB2Test : public ::testing::Test {
 protected:
  // The tree of the DB2 agent of node db01 whose select answers `rows`.
  std::string BuildAgent(const std::string& rows, bool built = true) {
    w_.fake.On("ixr_db2_DB01.txt", kHeader + rows);
    TSMClientInfo record;
    record.set_NodeName("db01");
    App::Client client;
    EXPECT_EQ(record.SetDB2PodInfo(&client), built);
    return IsSet(&client, App::Client::pods) ? Tree(&client) : "none";
  }

  Workspace w_;
  FakeDsmadmc& fake_ = w_.fake;
};

// The select reaches dsmadmc as one argument with its SQL quotes.
TEST_F(DB2Test, SelectReachesTheClientWholeForTheUpperCaseNode) {
  CTSMDB2Info fetcher;
  fetcher.SetBinaryPath("/opt/tsm");
  fetcher.SetLogin("admin");
  fetcher.SetPassword("pw");
  fetcher.set_clientName("db01");
  EXPECT_STREQ(fetcher._GetFileNameForData(), "ixr_db2_DB01.txt");
  fetcher.FetchData(nullptr);
  ASSERT_EQ(fake_.runs().size(), 1u);
  EXPECT_EQ(
      fake_.runs()[0],
      (std::vector<std::string>{
          "/opt/tsm/dsmadmc", "-id=admin", "-password=pw", "-outfile=ixr_db2_DB01.txt", "-dateformat=1",
          "-comma",
          "select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, filespaces ff where bb.node_name = "
          "'DB01'  and bb.FILESPACE_ID = ff.FILESPACE_ID AND ff.FILESPACE_TYPE LIKE 'API:DB2%' "
          "AND ff.NODE_NAME = bb.NODE_NAME "}));
}

// Names that would leave the directory or reshape the command.
TEST_F(DB2Test, NamesThatCannotBePlacedSafelyAreRefused) {
  for (const char* name :
       {"", ".", "..", "../etc", "a/b", "x -outfile=VICTIM", "o'brien", "a\"b", "a\tb", "a\nb"}) {
    SCOPED_TRACE(name);
    LogCapture log;
    CTSMDB2Info fetcher;
    fetcher.set_clientName(name);
    EXPECT_FALSE(fetcher.FetchData(nullptr));
    EXPECT_NE(log.text().find("Refusing node name"), std::string::npos);
  }
  EXPECT_TRUE(fake_.commands().empty());
}

TEST_F(DB2Test, AgentGroupsDatabasesByInstanceInOrder) {
  // Lines of other field counts are dropped; an empty owner is the
  // default instance; instances differing in case stay apart; database
  // names lose slashes and blanks at both ends.
  EXPECT_EQ(BuildAgent(
                "db2inst1,/SAMPLE\none\na,b,c\nDB2INST1,B\n,C\ndb2inst1,/ /TOOLSDB/ \ni,/a b/\n\nANR2034E\n"),
            "components \npod 37 DB2 8194\n db2inst1\n  SAMPLE 8194\n   default 8194\n  TOOLSDB 8194\n"
            "   default 8194\n DB2INST1\n  B 8194\n   default 8194\n DefaultInstance\n  C 8194\n"
            "   default 8194\n i\n  a b 8194\n   default 8194\n");
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
