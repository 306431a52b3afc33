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
#include "tests/support/TestSupport.h"

namespace {

using namespace clientfields;
using namespace clienttest;
using testsupport::LogCapture;
using testsupport::ScopedChdir;
using testsupport::TempDir;
using testsupport::WriteFile;

const char kHeader[] = "ANS8000I Server command: 'select'\nOWNER,FILESPACE_NAME\nx,y\n\n";

using Pairs = std::vector<std::pair<std::string, std::string>>;

class DB2Test : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedChdir cd_{dir_.path()};
  ScopedExistingFiles live_{false, ""};
  FakeDsmadmc fake_;
  ScopedLauncher launcher_{&fake_};
};

TEST_F(DB2Test, CommandAndFileNameUseTheUpperCaseNode) {
  CTSMDB2Info fetcher;
  fetcher.SetBinaryPath("/opt/tsm");
  fetcher.SetLogin("admin");
  fetcher.SetPassword("pw");
  fetcher.set_clientName("db01");
  EXPECT_EQ(fetcher.get_clientName(), "DB01");
  EXPECT_STREQ(fetcher._GetFileNameForData(), "ixr_db2_DB01.txt");
  EXPECT_EQ(fetcher._GetCommandLine(),
            "\"/opt/tsm/dsmadmc\" -id=admin -password=pw -outfile=ixr_db2_DB01.txt -dateformat=1 -comma "
            " select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, filespaces ff where bb.node_name = "
            "'DB01'  and bb.FILESPACE_ID = ff.FILESPACE_ID AND ff.FILESPACE_TYPE LIKE 'API:DB2%' ");
}

TEST_F(DB2Test, QuoteInNodeNameCannotEndTheValue) {
  CTSMDB2Info fetcher;
  fetcher.set_clientName("o'brien");
  EXPECT_NE(fetcher._GetCommandLine().find("bb.node_name = 'O''BRIEN'  and"), std::string::npos);
}

TEST_F(DB2Test, ParserKeepsTwoFieldLinesAfterTheHeader) {
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

class DB2AgentTest : public DB2Test {
 protected:
  // The DB2 agent of node DB01 whose select answers `rows`.
  bool BuildAgent(const std::string& rows) {
    fake_.On("ixr_db2_DB01.txt", std::string(kHeader) + rows);
    TSMClientInfo record;
    record.set_NodeName("db01");
    return record.SetDB2PodInfo(&client_);
  }
  const CNMessageBase* Instance(size_t i) const {
    return Item(Item(&client_, kClientPods, 0), kPodInstances, i);
  }
  static std::vector<std::string> BackupSetNames(const CNMessageBase* instance) {
    std::vector<std::string> names;
    for (size_t i = 0; i < Count(instance, kInstanceBackupSets); ++i) {
      names.push_back(
          GetString(Sub(Item(instance, kInstanceBackupSets, i), kBackupSetEntity), kBackupSetName));
    }
    return names;
  }
  static std::string InstanceName(const CNMessageBase* instance) {
    return GetString(Sub(instance, kInstanceEntity), kInstanceName);
  }

  App::Client client_;
};

TEST_F(DB2AgentTest, TwoDatabasesOfOneInstance) {
  ASSERT_TRUE(BuildAgent("db2inst1,/SAMPLE\ndb2inst1,TOOLSDB\n"));
  ASSERT_EQ(Count(&client_, kClientPods), 1u);
  const CNMessageBase* pod = Item(&client_, kClientPods, 0);
  EXPECT_EQ(GetInt(Sub(pod, kPodAppEntity), kAppType), 37);
  EXPECT_EQ(GetString(Sub(pod, kPodAppEntity), kAppName), "DB2");
  EXPECT_EQ(GetInt(pod, kPodField2), 8194);
  ASSERT_EQ(Count(pod, kPodInstances), 1u);
  EXPECT_EQ(InstanceName(Instance(0)), "db2inst1");
  EXPECT_EQ(BackupSetNames(Instance(0)), (std::vector<std::string>{"SAMPLE", "TOOLSDB"}));
  for (size_t i = 0; i < 2; ++i) {
    const CNMessageBase* backupSet = Item(Instance(0), kInstanceBackupSets, i);
    EXPECT_EQ(GetInt(backupSet, kBackupSetField2), 8194);
    ASSERT_EQ(Count(backupSet, kBackupSetSubclients), 1u);
    const CNMessageBase* subclient = Item(backupSet, kBackupSetSubclients, 0);
    EXPECT_EQ(GetString(Sub(subclient, kSubclientEntity), kSubclientName), "default");
    EXPECT_EQ(GetInt(subclient, kSubclientField6), 8194);
    EXPECT_FALSE(IsSet(subclient, kSubclientContent));
    EXPECT_FALSE(IsSet(subclient, kSubclientProperties));
  }
}

TEST_F(DB2AgentTest, InstancesDifferingInCaseStaySeparate) {
  ASSERT_TRUE(BuildAgent("db2inst1,A\nDB2INST1,B\n,C\ndb2inst1,D\n"));
  const CNMessageBase* pod = Item(&client_, kClientPods, 0);
  ASSERT_EQ(Count(pod, kPodInstances), 3u);
  EXPECT_EQ(InstanceName(Instance(0)), "db2inst1");
  EXPECT_EQ(BackupSetNames(Instance(0)), (std::vector<std::string>{"A", "D"}));
  EXPECT_EQ(InstanceName(Instance(1)), "DB2INST1");
  EXPECT_EQ(InstanceName(Instance(2)), "DefaultInstance");
}

TEST_F(DB2AgentTest, DatabaseNamesLoseSlashesAndBlanksAtBothEnds) {
  ASSERT_TRUE(BuildAgent("i,/ /SAMPLE/ \ni,/a b/\n"));
  EXPECT_EQ(BackupSetNames(Instance(0)), (std::vector<std::string>{"SAMPLE", "a b"}));
}

TEST_F(DB2AgentTest, NoPairAddsNothing) {
  EXPECT_FALSE(BuildAgent(""));
  EXPECT_FALSE(IsSet(&client_, kClientPods));
}

TEST_F(DB2AgentTest, FailedQueryAddsNothing) {
  fake_.FailOn("ixr_db2_DB01.txt", 1);
  LogCapture log;
  TSMClientInfo record;
  record.set_NodeName("db01");
  EXPECT_FALSE(record.SetDB2PodInfo(&client_));
  EXPECT_FALSE(IsSet(&client_, kClientPods));
  EXPECT_NE(log.text().find("Failed to get DB2 Information for [db01]"), std::string::npos);
}

}  // namespace
