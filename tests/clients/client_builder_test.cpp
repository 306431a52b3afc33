// The client hierarchy builders: the entry trees of single nodes and of
// the TSM server's own node.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clients/ClientFields.h"
#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace clientfields;
using namespace clienttest;
using namespace testsupport;

const char kProperties[] =
    " compression=0#2 cross mount point=0#2 Enable Backup=1#2 TSM Foreign Subclient=1#2]\n";
// A Linux node without schedules: the file system agent, its two defaults.
const char kLinuxDefaults[] =
    "components 3 4\npod 29 Linux File System 8192\n DefaultInstanceName\n  defaultBackupSet 8\n"
    "   default 8 [=/#1]\n   OnDemand 2 [=/#1]\n";

// Runs the builders in a scratch directory with a scripted dsmadmc; a
// node's schedule query answers what the test scripted for "Nodes=<name>",
// by default "nothing matched" (exit 11).
class BuilderTest : public ::testing::Test {
 protected:
  // The client of the entry built for `record`, appended to list_.
  const CNMessageBase* Build(TSMClientInfo& record) {
    fake_.FailOn("Nodes=", 11);
    EXPECT_TRUE(record.BuildHierarchy(&list_));
    return Sub(Item(&list_, kListClients, Count(&list_, kListClients) - 1), kInfoClient);
  }
  static TSMClientInfo Record(const std::string& name, const std::string& platform,
                              const std::string& level = "") {
    TSMClientInfo r;
    r.set_NodeName(name);
    r.set_Platform(platform);
    r.set_OSVersion(level);
    r.set_ClientVersion("6.2.0");
    r.set_Hostname(name + ".example.com");
    return r;
  }
  static std::string Names(const CNMessageBase* client) {
    return GetString(Sub(client, kClientEntity), kClientName) + "/" +
           GetString(Sub(client, kClientEntity), kClientHostName);
  }

  TempDir dir_;
  ScopedChdir cd_{dir_.path()};
  ScopedExistingFiles live_{false, ""};
  ScopedServerName server_{"TSMSRV"};
  FakeDsmadmc fake_;
  App::ClientsList list_;
};

TEST_F(BuilderTest, Linux86NodeWithoutSchedules) {
  TSMClientInfo record = Record("NODE1", "Linux86", "2.6");
  const CNMessageBase* client = Build(record);
  EXPECT_FALSE(record.get_isMasterServer());
  EXPECT_EQ(Count(&list_, kListClients), 1u);
  EXPECT_EQ(fake_.CountCommands("Nodes=NODE1"), 1u);
  EXPECT_EQ(Names(client), "NODE1/NODE1.example.com");
  EXPECT_EQ(Tree(client), kLinuxDefaults);
  EXPECT_EQ(GetInt(client, kClientField18), 4);
  EXPECT_EQ(GetString(client, kClientField3), "2");
  EXPECT_EQ(GetInt(Sub(client, kClientOperatingSystem), kOsType), 25);
  EXPECT_FALSE(IsSet(client, kClientTimeZone));
  const CNMessageBase* entry = Item(&list_, kListClients, 0);
  EXPECT_EQ(Sub(entry, kInfoSettings), nullptr);
  const CNMessageBase* attribute = Item(Sub(entry, kInfoAttributes), kAttributeList, 0);
  ASSERT_NE(attribute, nullptr);
  EXPECT_EQ(GetString(attribute, kAttributeName) + "/" + GetString(attribute, kAttributeValue) + "/" +
                std::to_string(GetInt(attribute, kAttributeKind)),
            "Foreign Client Version/TSM 6.2.0/1");
}

TEST_F(BuilderTest, RootPathAndAgentFollowThePlatform) {
  struct Case {
    const char *platform, *root, *agent;
  } cases[] = {{"Linux86", "/", "29"}, {"AIX", "/", "21"},      {"SUN SOLARIS", "/", "19"},
               {"WinNT", "\\", "33"},  {"OS/400", "\\", "130"}, {"", "\\", "130"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    TSMClientInfo record = Record("N", c.platform, "5.02");
    const std::string tree = Tree(Build(record));
    EXPECT_NE(tree.find(std::string("\npod ") + c.agent + " "), std::string::npos) << tree;
    const std::string root = std::string(" [=") + c.root + "#1]\n";
    EXPECT_NE(tree.find("   default 8" + root + "   OnDemand 2" + root), std::string::npos) << tree;
  }
}

TEST_F(BuilderTest, OneSubclientPerScheduleWithContentAndProperties) {
  fake_.On("Nodes=NODE1", NodeScheduleOutput({{"DAILY", "Incremental", {"/home/*", "/etc/"}, "5"},
                                              {"DAILY", "Selective", {"/var/*"}, "1"},
                                              {"WEEKLY", "Inc", {}, "3"}}));
  TSMClientInfo record = Record("NODE1", "Linux86");
  record.set_Compression("client");
  record.set_CrossMount("NO");
  const std::string tree = Tree(Build(record));
  // Same names are not merged.
  EXPECT_EQ(tree.substr(tree.find("   DAILY")),
            std::string("   DAILY 0 [=/home/*\\/\\/#1 =/etc/#1] [priority=5#3") + kProperties +
                "   DAILY 0 [=/var/*\\/\\/#1] [priority=1#3" + kProperties +
                "   WEEKLY 0 [=\\#1] [priority=3#3" + kProperties);
}

TEST_F(BuilderTest, CompressionAndCrossMountProperties) {
  struct Case {
    const char *compression, *crossMount, *properties;
  } cases[] = {{"Client", "No", "compression=0#2 cross mount point=0#2"},
               {"CLIENT", "no", "compression=0#2 cross mount point=0#2"},
               {"Yes", "Yes", "compression=2#2 cross mount point=2#2"},
               {"", "", "compression=2#2 cross mount point=2#2"},
               {"Client ", "No ", "compression=2#2 cross mount point=2#2"}};
  fake_.On("Nodes=N", NodeScheduleOutput({{"S", "Incremental", {"/"}, "5"}}));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.compression) + "/" + c.crossMount);
    TSMClientInfo record = Record("N", "Linux86");
    record.set_Compression(c.compression);
    record.set_CrossMount(c.crossMount);
    EXPECT_NE(Tree(Build(record)).find(std::string("[priority=5#3 ") + c.properties + " Enable"),
              std::string::npos);
  }
}

TEST_F(BuilderTest, FailedScheduleQueryKeepsDefaultSubclients) {
  fake_.FailOn("Nodes=NODE1", 2);
  TSMClientInfo record = Record("NODE1", "Linux86");
  LogCapture log;
  EXPECT_EQ(Tree(Build(record)), kLinuxDefaults);
  EXPECT_NE(log.text().find("No schedules found for node [NODE1]"), std::string::npos);
}

TEST_F(BuilderTest, ServerNodeGetsOneEntryWithMasterAndMediaParts) {
  TSMClientInfo record = Record("tsmsrv", "Linux86");
  record.set_InstallDirectory("/opt/tsm");
  const CNMessageBase* client = Build(record);
  EXPECT_EQ(Count(&list_, kListClients), 1u);
  EXPECT_TRUE(record.get_isMasterServer());
  // The node now names this machine, for its schedule and job queries.
  EXPECT_EQ(record.get_NodeName() + "/" + record.get_Hostname(),
            GetHostName() + "/" + EvDebug::getHostName());
  EXPECT_EQ(Names(client), GetHostName() + "/" + EvDebug::getHostName());
  EXPECT_EQ(fake_.CountCommands("Nodes=" + GetHostName()), 1u);
  EXPECT_EQ(ComponentTypes(client), (std::vector<long long>{1, 11, 3, 4}));
  EXPECT_EQ(Count(client, kClientPods), 1u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(GetString(Item(client, kClientComponents, i), kComponentInstallDirectory), "/opt/tsm");
  }
  EXPECT_EQ(GetString(Sub(client, kClientTimeZone), kTimeZoneStdName), GetTimeZoneStdNameW());
  const CNMessageBase* settings = Sub(Item(&list_, kListClients, 0), kInfoSettings);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(GetString(settings, kSettingsTimeZoneName), GetTimeZoneDisplayNameA());
  EXPECT_EQ(GetInt(settings, kSettingsField41), 104);
  const CNMessageBase* zyphor = Sub(settings, kSettingsZyphor);
  ASSERT_NE(zyphor, nullptr);
  EXPECT_EQ(GetString(zyphor, kZyphorName), CForeignHandlerTSM::GenerateZyphorName());
  EXPECT_EQ(GetInt(zyphor, kZyphorField9), 3);
  EXPECT_FALSE(IsSet(zyphor, kZyphorField10));
  EXPECT_EQ(GetInt(Sub(zyphor, kZyphorEntityId), kEntityIdField0), 1);

  // From gathered files the node keeps its gathered names and runs nothing.
  TempDir gathered;
  ScopedExistingFiles replay(true, gathered.path() + "/");
  TSMClientInfo gatheredRecord = Record("TSMSRV", "Linux86");
  const size_t commands = fake_.commands().size();
  client = Build(gatheredRecord);
  EXPECT_EQ(gatheredRecord.get_NodeName(), "TSMSRV");
  EXPECT_EQ(Names(client), "TSMSRV/TSMSRV.example.com");
  EXPECT_EQ(ComponentTypes(client), (std::vector<long long>{1, 11, 3, 4}));
  EXPECT_EQ(fake_.commands().size(), commands);
}

}  // namespace
