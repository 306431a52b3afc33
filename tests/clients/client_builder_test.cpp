// The client hierarchy builders: the entry trees of single nodes and of
// the TSM server's own node.
#include <gtest/gtest.h>

#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace zyfields;
using namespace clienttest;
using namespace testsupport;

// A Linux node without schedules: the file system agent, its two defaults.
const char kLinuxDefaults[] =
    "components 3 4\npod 29 Linux File System 8192\n DefaultInstanceName\n  defaultBackupSet 8\n"
    "   default 8 [=/#1]\n   OnDemand 2 [=/#1]\n";
const std::string kRest = " Enable Backup=1#2 TSM Foreign Subclient=1#2]\n";

// Runs the builders in a scratch directory with a scripted dsmadmc: a
// node's schedule query answers what the test scripted for "Nodes=<name>"
// ("nothing matched", exit 11, for the first rule matching any node).
class BuilderTest : public ::testing::Test {
 protected:
  // The client of the entry built for a fresh record_, appended to list_.
  const CNMessageBase* Build(const std::string& name, const std::string& platform,
                             const std::string& compression = "", const std::string& crossMount = "",
                             const std::string& installDirectory = "N/A") {
    record_ = TSMClientInfo();
    record_.set_NodeName(name);
    record_.set_Platform(platform);
    record_.set_OSVersion("5.02");
    record_.set_ClientVersion("6.2.0");
    record_.set_Hostname(name + ".example.com");
    record_.set_Compression(compression);
    record_.set_CrossMount(crossMount);
    record_.set_InstallDirectory(installDirectory);
    EXPECT_TRUE(record_.BuildHierarchy(&list_));
    return Sub(Item(&list_, App::ClientsList::clients, Count(&list_, App::ClientsList::clients) - 1),
               App::ClientInfo::client);
  }
  static std::string Names(const CNMessageBase* client) {
    return GetString(Sub(client, App::Client::clientEntity), ZyEntities::ClientEntity::clientName) + "/" +
           GetString(Sub(client, App::Client::clientEntity), ZyEntities::ClientEntity::hostName);
  }

  Workspace w_;
  FakeDsmadmc& fake_ = w_.fake;
  ScopedServerName server_{"TSMSRV"};
  App::ClientsList list_;
  TSMClientInfo record_;
};

// A failed schedule query (2) or one that matched nothing (11) leaves the
// default subclients.
TEST_F(BuilderTest, NodeWithoutSchedulesAndTheRootPathOfItsPlatform) {
  fake_.FailOn("Nodes=NODE1", 2);
  fake_.FailOn("Nodes=", 11);
  LogCapture log;
  const CNMessageBase* client = Build("NODE1", "Linux86");
  EXPECT_NE(log.text().find("No schedules found for node [NODE1]"), std::string::npos);
  EXPECT_FALSE(record_.get_isMasterServer());
  EXPECT_EQ(fake_.CountCommands("Nodes=NODE1"), 1u);
  EXPECT_EQ(Names(client), "NODE1/NODE1.example.com");
  EXPECT_EQ(Tree(client), kLinuxDefaults);
  EXPECT_EQ(
      std::to_string(GetInt(client, App::Client::field18)) + " " + GetString(client, App::Client::field3) +
          " " +
          std::to_string(GetInt(Sub(client, App::Client::operatingSystem), App::OperatingSystem::osType)),
      "4 2 25");
  EXPECT_FALSE(IsSet(client, App::Client::timeZone));
  const CNMessageBase* entry = Item(&list_, App::ClientsList::clients, 0);
  EXPECT_EQ(Sub(entry, App::ClientInfo::settings), nullptr);
  const CNMessageBase* attribute =
      Item(Sub(entry, App::ClientInfo::attributes), App::ClientAttributes::attributeList, 0);
  ASSERT_NE(attribute, nullptr);
  EXPECT_EQ(GetString(attribute, App::AttributeInfo::name) + "/" +
                GetString(attribute, App::AttributeInfo::value) + "/" +
                std::to_string(GetInt(attribute, App::AttributeInfo::kind)),
            "Foreign Client Version/TSM 6.2.0/1");
  for (const auto& [platform, root] :
       {std::pair{"AIX", "/"}, {"SUN SOLARIS", "/"}, {"WinNT", "\\"}, {"", "\\"}}) {
    SCOPED_TRACE(platform);
    const std::string tree = Tree(Build("N", platform));
    const std::string content = std::string(" [=") + root + "#1]\n";
    EXPECT_NE(tree.find("   default 8" + content + "   OnDemand 2" + content), std::string::npos) << tree;
  }
}

TEST_F(BuilderTest, OneSubclientPerScheduleWithContentAndProperties) {
  fake_.On("Nodes=NODE1", NodeScheduleOutput({{"DAILY", "Incremental", "/home/*,/etc/", "5"},
                                              {"DAILY", "Selective", "/var/*", "1"},
                                              {"WEEKLY", "Inc", "", "3"}}));
  const std::string tree = Tree(Build("NODE1", "Linux86", "client", "NO"));
  const std::string props = " compression=0#2 cross mount point=0#2" + kRest;
  // Same names are not merged.
  EXPECT_EQ(tree.substr(tree.find("   DAILY")), "   DAILY 0 [=/home/*\\/\\/#1 =/etc/#1] [priority=5#3" +
                                                    props + "   DAILY 0 [=/var/*\\/\\/#1] [priority=1#3" +
                                                    props + "   WEEKLY 0 [=\\#1] [priority=3#3" + props);
  // Only "Client" and "No", in any case but untrimmed, give 0.
  fake_.On("Nodes=M", NodeScheduleOutput({{"S", "Incremental", "/", "5"}}));
  const char* cases[][4] = {
      {"CLIENT", "Yes", "0", "2"}, {"Yes", "no", "2", "0"}, {"", "", "2", "2"}, {"Client ", "No ", "2", "2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c[0]) + "/" + c[1]);
    const std::string expected =
        std::string("=5#3 compression=") + c[2] + "#2 cross mount point=" + c[3] + "#2";
    EXPECT_NE(Tree(Build("M", "Linux86", c[0], c[1])).find(expected + kRest), std::string::npos);
  }
}

TEST_F(BuilderTest, ServerNodeGetsOneEntryWithMasterAndMediaParts) {
  fake_.FailOn("Nodes=", 11);
  const CNMessageBase* client = Build("tsmsrv", "Linux86", "", "", "/opt/tsm");
  EXPECT_EQ(Count(&list_, App::ClientsList::clients), 1u);
  EXPECT_TRUE(record_.get_isMasterServer());
  // The node now names this machine, for its schedule and job queries.
  const std::string names = GetHostName() + "/" + EvDebug::getHostName();
  EXPECT_EQ(record_.get_NodeName() + "/" + record_.get_Hostname(), names);
  EXPECT_EQ(Names(client), names);
  EXPECT_EQ(fake_.CountCommands("Nodes=" + GetHostName()), 1u);
  EXPECT_EQ(Tree(client).substr(0, 20), "components 1 11 3 4\n");
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(GetString(Item(client, App::Client::components, i), App::ComponentInfo::installDirectory),
              "/opt/tsm");
  }
  EXPECT_EQ(GetString(Sub(client, App::Client::timeZone), ZyEntities::TimeZoneEntity::timeZoneStdName),
            GetTimeZoneStdNameW());
  const CNMessageBase* settings = Sub(Item(&list_, App::ClientsList::clients, 0), App::ClientInfo::settings);
  const CNMessageBase* zyphor = Sub(settings, App::ClientSettings::zyphor);
  ASSERT_NE(zyphor, nullptr);
  EXPECT_EQ(GetString(settings, App::ClientSettings::timeZoneName) + "|" +
                std::to_string(GetInt(settings, App::ClientSettings::field41)) + "|" +
                GetString(zyphor, ZyEntities::ZyphorEntity::zyphorName) + "|" +
                std::to_string(GetInt(zyphor, ZyEntities::ZyphorEntity::field9)) + "|" +
                std::to_string(
                    GetInt(Sub(zyphor, ZyEntities::ZyphorEntity::entityId), ZyEntities::EntityId::field0)),
            GetTimeZoneDisplayNameA() + "|104|" + CForeignHandlerTSM::GenerateZyphorName() + "|3|1");
  EXPECT_FALSE(IsSet(zyphor, ZyEntities::ZyphorEntity::field10));
}

}  // namespace
