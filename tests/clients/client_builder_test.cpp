// The client hierarchy builders: the entry trees of single nodes, the TSM
// server's own node and the local machine.
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
#include "tests/support/TestSupport.h"

namespace {

using namespace clientfields;
using namespace clienttest;
using testsupport::LogCapture;
using testsupport::ScopedChdir;
using testsupport::TempDir;

TSMClientInfo Record(const std::string& name, const std::string& platform, const std::string& level = "") {
  TSMClientInfo r;
  r.set_NodeName(name);
  r.set_Platform(platform);
  r.set_OSVersion(level);
  r.set_ClientVersion("6.2.0");
  r.set_Hostname(name + ".example.com");
  r.set_InstallDirectory("N/A");
  r.SetLogin("admin");
  r.SetPassword("secret");
  return r;
}

// Runs the builders in a scratch directory with a scripted dsmadmc; the
// schedule query of a node answers with whatever the test scripted for
// "Nodes=<name>", by default "nothing matched" (exit 11).
class BuilderTest : public ::testing::Test {
 protected:
  const CNMessageBase* Build(TSMClientInfo& record) {
    fake_.FailOn("Nodes=", 11);
    EXPECT_TRUE(record.BuildHierarchy(&list_));
    return Item(&list_, kListClients, Count(&list_, kListClients) - 1);
  }
  static const CNMessageBase* Client(const CNMessageBase* entry) { return Sub(entry, kInfoClient); }
  static const CNMessageBase* BackupSet(const CNMessageBase* entry) {
    const CNMessageBase* pod = Item(Client(entry), kClientPods, 0);
    const CNMessageBase* instance = Item(pod, kPodInstances, 0);
    return Item(instance, kInstanceBackupSets, 0);
  }
  static std::string SubclientName(const CNMessageBase* subclient) {
    return GetString(Sub(subclient, kSubclientEntity), kSubclientName);
  }

  TempDir dir_;
  ScopedChdir cd_{dir_.path()};
  ScopedExistingFiles live_{false, ""};
  ScopedServerName server_{"TSMSRV"};
  FakeDsmadmc fake_;
  ScopedLauncher launcher_{&fake_};
  App::ClientsList list_;
};

TEST_F(BuilderTest, Linux86NodeWithoutSchedules) {
  TSMClientInfo record = Record("NODE1", "Linux86", "2.6");
  const CNMessageBase* entry = Build(record);
  ASSERT_NE(entry, nullptr);
  EXPECT_FALSE(record.get_isMasterServer());
  EXPECT_EQ(Count(&list_, kListClients), 1u);

  const CNMessageBase* client = Client(entry);
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientName), "NODE1");
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientHostName), "NODE1.example.com");
  EXPECT_EQ(ComponentTypes(client), (std::vector<long long>{3, 4}));
  EXPECT_EQ(GetInt(client, kClientField18), 4);
  EXPECT_EQ(GetString(client, kClientField3), "2");
  EXPECT_EQ(GetString(client, kClientInstallDirectory), "N/A");
  EXPECT_EQ(GetInt(Sub(client, kClientOperatingSystem), kOsType), 25);
  EXPECT_EQ(Sub(entry, kInfoSettings), nullptr);
  EXPECT_FALSE(IsSet(client, kClientTimeZone));

  const CNMessageBase* attribute = Item(Sub(entry, kInfoAttributes), kAttributeList, 0);
  ASSERT_NE(attribute, nullptr);
  EXPECT_EQ(GetString(attribute, kAttributeName), "Foreign Client Version");
  EXPECT_EQ(GetInt(attribute, kAttributeKind), 1);
  EXPECT_EQ(GetString(attribute, kAttributeValue), "TSM 6.2.0");

  ASSERT_EQ(Count(client, kClientPods), 1u);
  const CNMessageBase* pod = Item(client, kClientPods, 0);
  EXPECT_EQ(GetInt(Sub(pod, kPodAppEntity), kAppType), 29);
  EXPECT_EQ(GetString(Sub(pod, kPodAppEntity), kAppName), "Linux File System");
  EXPECT_EQ(GetInt(pod, kPodField2), 8192);
  const CNMessageBase* instance = Item(pod, kPodInstances, 0);
  EXPECT_EQ(GetString(Sub(instance, kInstanceEntity), kInstanceName), "DefaultInstanceName");
  const CNMessageBase* backupSet = BackupSet(entry);
  EXPECT_EQ(GetString(Sub(backupSet, kBackupSetEntity), kBackupSetName), "defaultBackupSet");
  EXPECT_EQ(GetInt(backupSet, kBackupSetField2), 8);

  ASSERT_EQ(Count(backupSet, kBackupSetSubclients), 2u);
  const CNMessageBase* def = Item(backupSet, kBackupSetSubclients, 0);
  const CNMessageBase* onDemand = Item(backupSet, kBackupSetSubclients, 1);
  EXPECT_EQ(SubclientName(def), "default");
  EXPECT_EQ(GetInt(def, kSubclientField6), 8);
  EXPECT_EQ(SubclientName(onDemand), "OnDemand");
  EXPECT_EQ(GetInt(onDemand, kSubclientField6), 2);
  for (const CNMessageBase* sc : {def, onDemand}) {
    EXPECT_EQ(AttributeTexts(sc, kSubclientContent), std::vector<std::string>{"=/#1"});
    EXPECT_FALSE(IsSet(sc, kSubclientProperties));
  }
  EXPECT_EQ(fake_.CountCommands("Nodes=NODE1"), 1u);
}

TEST_F(BuilderTest, RootPathFollowsTheOperatingSystemFamily) {
  struct Case {
    const char* platform;
    const char* root;
    long long agent;
  } cases[] = {
      {"Linux86", "/", 29}, {"AIX", "/", 21},      {"SUN SOLARIS", "/", 19},
      {"WinNT", "\\", 33},  {"OS/400", "\\", 130}, {"", "\\", 130},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    TSMClientInfo record = Record("N", c.platform, "5.02");
    const CNMessageBase* entry = Build(record);
    const CNMessageBase* backupSet = BackupSet(entry);
    std::string expected = std::string("=") + c.root + "#1";
    EXPECT_EQ(AttributeTexts(Item(backupSet, kBackupSetSubclients, 0), kSubclientContent),
              std::vector<std::string>{expected});
    EXPECT_EQ(AttributeTexts(Item(backupSet, kBackupSetSubclients, 1), kSubclientContent),
              std::vector<std::string>{expected});
    EXPECT_EQ(GetInt(Sub(Item(Client(entry), kClientPods, 0), kPodAppEntity), kAppType), c.agent);
  }
}

TEST_F(BuilderTest, OneSubclientPerScheduleWithContentAndProperties) {
  fake_.On("Nodes=NODE1", NodeScheduleOutput({{"STANDARD", "DAILY", "Incremental", {"/home/*", "/etc/"}, "5"},
                                              {"STANDARD", "DAILY", "Selective", {"/var/*"}, "1"},
                                              {"STANDARD", "WEEKLY", "Inc", {}, "3"}}));
  TSMClientInfo record = Record("NODE1", "Linux86");
  record.set_Compression("client");
  record.set_CrossMount("NO");
  const CNMessageBase* entry = Build(record);
  const CNMessageBase* backupSet = BackupSet(entry);
  ASSERT_EQ(Count(backupSet, kBackupSetSubclients), 5u);

  struct Expect {
    const char* name;
    std::vector<std::string> content;
    const char* priority;
  } expected[] = {
      {"DAILY", {"=/home/*\\/\\/#1", "=/etc/#1"}, "5"},  // same names are not merged
      {"DAILY", {"=/var/*\\/\\/#1"}, "1"},
      {"WEEKLY", {"=\\#1"}, "3"},
  };
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const CNMessageBase* sc = Item(backupSet, kBackupSetSubclients, i + 2);
    EXPECT_EQ(SubclientName(sc), expected[i].name);
    EXPECT_EQ(GetInt(sc, kSubclientField6), 0);
    EXPECT_EQ(AttributeTexts(sc, kSubclientContent), expected[i].content);
    EXPECT_EQ(AttributeTexts(sc, kSubclientProperties),
              (std::vector<std::string>{std::string("priority=") + expected[i].priority + "#3",
                                        "compression=0#2", "cross mount point=0#2", "Enable Backup=1#2",
                                        "TSM Foreign Subclient=1#2"}));
  }
}

TEST_F(BuilderTest, CompressionAndCrossMountProperties) {
  struct Case {
    const char* compression;
    const char* crossMount;
    const char* compressionValue;
    const char* crossMountValue;
  } cases[] = {
      {"Client", "No", "0", "0"}, {"CLIENT", "no", "0", "0"},   {"Yes", "Yes", "2", "2"},
      {"", "", "2", "2"},         {"Client ", "No ", "2", "2"},
  };
  fake_.On("Nodes=N", NodeScheduleOutput({{"STANDARD", "S", "Incremental", {"/"}, "5"}}));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.compression) + "/" + c.crossMount);
    TSMClientInfo record = Record("N", "Linux86");
    record.set_Compression(c.compression);
    record.set_CrossMount(c.crossMount);
    const CNMessageBase* sc = Item(BackupSet(Build(record)), kBackupSetSubclients, 2);
    std::vector<std::string> properties = AttributeTexts(sc, kSubclientProperties);
    ASSERT_EQ(properties.size(), 5u);
    EXPECT_EQ(properties[1], std::string("compression=") + c.compressionValue + "#2");
    EXPECT_EQ(properties[2], std::string("cross mount point=") + c.crossMountValue + "#2");
  }
}

TEST_F(BuilderTest, FailedScheduleQueryKeepsDefaultSubclients) {
  fake_.FailOn("Nodes=NODE1", 2);
  TSMClientInfo record = Record("NODE1", "Linux86");
  LogCapture log;
  ASSERT_TRUE(record.BuildHierarchy(&list_));
  const CNMessageBase* backupSet = BackupSet(Item(&list_, kListClients, 0));
  ASSERT_EQ(Count(backupSet, kBackupSetSubclients), 2u);
  EXPECT_NE(log.text().find("No schedules found for node [NODE1]"), std::string::npos);
}

TEST_F(BuilderTest, ServerNodeGetsOneEntryWithMasterAndMediaParts) {
  TSMClientInfo record = Record("tsmsrv", "Linux86");
  record.set_InstallDirectory("/opt/tsm");
  const CNMessageBase* entry = Build(record);
  EXPECT_EQ(Count(&list_, kListClients), 1u);
  EXPECT_TRUE(record.get_isMasterServer());
  // The node now names this machine, for its schedule and job queries.
  EXPECT_EQ(record.get_NodeName(), GetHostName());
  EXPECT_EQ(record.get_Hostname(), EvDebug::getHostName());
  EXPECT_EQ(fake_.CountCommands("Nodes=" + GetHostName()), 1u);

  const CNMessageBase* client = Client(entry);
  EXPECT_EQ(ComponentTypes(client), (std::vector<long long>{1, 11, 3, 4}));
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(GetString(Item(client, kClientComponents, i), kComponentInstallDirectory), "/opt/tsm");
  }
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientName), GetHostName());
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientHostName), EvDebug::getHostName());
  EXPECT_EQ(GetInt(client, kClientField18), 4);
  EXPECT_EQ(GetString(Sub(client, kClientTimeZone), kTimeZoneStdName), GetTimeZoneStdNameW());

  const CNMessageBase* settings = Sub(entry, kInfoSettings);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(GetString(settings, kSettingsTimeZoneName), GetTimeZoneDisplayNameA());
  EXPECT_EQ(GetInt(settings, kSettingsField41), 104);
  const CNMessageBase* zyphor = Sub(settings, kSettingsZyphor);
  EXPECT_EQ(GetString(zyphor, kZyphorName), CForeignHandlerTSM::GenerateZyphorName());
  EXPECT_EQ(GetInt(zyphor, kZyphorField9), 3);
  EXPECT_FALSE(IsSet(zyphor, kZyphorField10));
  EXPECT_EQ(GetInt(Sub(zyphor, kZyphorEntityId), kEntityIdField0), 1);
  EXPECT_EQ(Count(client, kClientPods), 1u);
}

TEST_F(BuilderTest, ServerNodeKeepsGatheredNamesUnderExistingFiles) {
  TempDir gathered;  // no ixr_sched.txt: no schedules
  ScopedExistingFiles replay(true, gathered.path() + "/");
  TSMClientInfo record = Record("TSMSRV", "Linux86");
  ASSERT_TRUE(record.BuildHierarchy(&list_));
  EXPECT_TRUE(record.get_isMasterServer());
  EXPECT_EQ(record.get_NodeName(), "TSMSRV");
  const CNMessageBase* client = Client(Item(&list_, kListClients, 0));
  // BuildPodInfo writes the node's own names last.
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientName), "TSMSRV");
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientHostName), "TSMSRV.example.com");
  EXPECT_EQ(ComponentTypes(client), (std::vector<long long>{1, 11, 3, 4}));
  EXPECT_TRUE(fake_.commands().empty());
}

TEST_F(BuilderTest, LocalMachineEntryFromAnEmptyRecord) {
  TSMClientInfo local;
  local.set_InstallDirectory("/opt/tsm/bin");
  App::ClientInfo entry;
  ASSERT_TRUE(local.BuildMasterServerInfo(&entry));
  ASSERT_TRUE(local.BuildMediaServerInfo(&entry));
  const CNMessageBase* client = Client(&entry);
  EXPECT_EQ(ComponentTypes(client), (std::vector<long long>{1, 11}));
  EXPECT_EQ(GetString(client, kClientInstallDirectory), "/opt/tsm/bin");
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientName), GetHostName());
  EXPECT_FALSE(IsSet(client, kClientField18));
  EXPECT_FALSE(IsSet(client, kClientPods));
  EXPECT_EQ(Sub(&entry, kInfoAttributes), nullptr);
  const CNMessageBase* os = Sub(client, kClientOperatingSystem);
  EXPECT_EQ(GetInt(os, kOsType), 0);
  EXPECT_EQ(GetString(os, kOsFamily), "Any");
  EXPECT_EQ(GetString(os, kOsFlavour), "Any");
  EXPECT_EQ(GetString(os, kOsVersion), "Any");
  EXPECT_EQ(GetString(Sub(os, kOsDetail), kOsDetailPlatform), "");
  EXPECT_EQ(GetString(Sub(os, kOsDetail), kOsDetailLevel), "");
}

TEST_F(BuilderTest, MediaServerPartFillsOnlyWhatIsEmpty) {
  TSMClientInfo record = Record("N", "WinNT", "5.02");
  record.set_InstallDirectory("/mine");
  App::ClientInfo entry;
  App::Client* client = Object<App::Client>(&entry, kInfoClient);
  SetString(Object<ZyEntities::ClientEntity>(client, kClientEntity), kClientName, "kept");
  SetString(client, kClientInstallDirectory, "/kept");
  SetString(client, kClientField3, "9");
  ASSERT_TRUE(record.BuildMediaServerInfo(&entry));
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientName), "kept");
  EXPECT_EQ(GetString(Sub(client, kClientEntity), kClientHostName), EvDebug::getHostName());
  EXPECT_EQ(GetString(client, kClientInstallDirectory), "/kept");
  EXPECT_EQ(GetString(client, kClientField3), "9");
  EXPECT_EQ(GetInt(Sub(client, kClientOperatingSystem), kOsType), 34);
  EXPECT_EQ(ComponentTypes(client), std::vector<long long>{11});
}

}  // namespace
