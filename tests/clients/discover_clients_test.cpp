// DiscoverClients with a scripted dsmadmc and a recording host channel.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "clients/ClientFields.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/MessageSchema.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace clientfields;
using namespace clienttest;
using testsupport::FileExists;
using testsupport::ListDir;
using testsupport::LogCapture;
using testsupport::ScopedChdir;
using testsupport::TempDir;

std::string TwoNodes() {
  NodeColumns a;
  a.name = "NODE1";
  NodeColumns b;
  b.name = "WIN1";
  b.platform = "WinNT";
  b.osLevel = "5.02";
  return NodeLine(a) + "\n" + NodeLine(b) + "\n";
}

class DiscoverClientsTest : public ::testing::Test {
 protected:
  DiscoverClientsTest() {
    config_.setstring(5, 17, bin_.path());
    config_.setstring(11, 41, "admin");
    config_.setstring(12, 45, "secret");
    fake_.On("SELECT VERSION, RELEASE FROM STATUS", "6,3\n");
    fake_.FailOn("Nodes=", 11);  // no schedules unless a test scripts some
  }

  // Runs the operation on a handler attached to `channel_`.
  bool Discover(CForeignHandlerTSM& handler) {
    handler.SetHostChannel(&channel_);
    return handler.DiscoverClients(&config_);
  }
  std::vector<std::string> HandedOver() const { return ListDir(out_.path()); }
  std::unique_ptr<CNMessageBase> ClientList(const std::string& file = "000001-App.ClientsList.xml") const {
    return zyhost::ReadMessageXml(out_.file(file));
  }
  static std::vector<std::string> EntryNames(const CNMessageBase* list) {
    std::vector<std::string> names;
    for (size_t i = 0; i < Count(list, kListClients); ++i) {
      const CNMessageBase* client = Sub(Item(list, kListClients, i), kInfoClient);
      names.push_back(GetString(Sub(client, kClientEntity), kClientName));
    }
    return names;
  }

  TempDir bin_;  // the dsmadmc directory; the operation changes into it
  TempDir out_;  // hand-over directory
  ScopedChdir cd_{"/"};
  ScopedExistingFiles live_{false, ""};
  ScopedServerName server_{""};
  ScopedHandOver handOver_{out_.path()};
  FakeDsmadmc fake_;
  ScopedLauncher launcher_{&fake_};
  RecordingHostChannel channel_;
  FDC::ExternalNBUConfig config_;
};

TEST_F(DiscoverClientsTest, NodesAndSynthesizedMasterEntryAreHandedOver) {
  fake_.On("query node", TwoNodes());
  CForeignHandlerTSM handler;
  ASSERT_TRUE(Discover(handler));

  EXPECT_EQ(handler.get_tsmVersion(), 6);
  EXPECT_EQ(handler.get_tsmRelease(), 3);
  EXPECT_EQ(CForeignHandlerTSM::GetServerName(), GetHostName());
  ASSERT_EQ(handler.clients().size(), 2u);
  EXPECT_EQ(handler.clients()[0].login, "admin");
  EXPECT_EQ(handler.clients()[0].password, "secret");
  EXPECT_TRUE(channel_.sent().empty());
  EXPECT_EQ(HandedOver(), std::vector<std::string>{"000001-App.ClientsList.xml"});

  std::unique_ptr<CNMessageBase> list = ClientList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(GetInt(list.get(), kListField2), 0);
  EXPECT_EQ(GetInt(list.get(), kListField3), 8);
  EXPECT_EQ(EntryNames(list.get()), (std::vector<std::string>{"NODE1", "WIN1", GetHostName()}));
  const CNMessageBase* master = Sub(Item(list.get(), kListClients, 2), kInfoClient);
  EXPECT_EQ(ComponentTypes(master), (std::vector<long long>{1, 11}));
  EXPECT_EQ(GetString(master, kClientInstallDirectory), bin_.path());
  // The node query ran from the dsmadmc directory.
  EXPECT_TRUE(FileExists(bin_.file("ixr_node.txt")));
  EXPECT_EQ(fake_.CountCommands("-password=secret"), 4u);
}

TEST_F(DiscoverClientsTest, ServerNodeIsTheMasterEntry) {
  NodeColumns server;
  server.name = GetHostName();
  fake_.On("query node", NodeLine(server) + "\n" + TwoNodes());
  CForeignHandlerTSM handler;
  ASSERT_TRUE(Discover(handler));
  std::unique_ptr<CNMessageBase> list = ClientList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(Count(list.get(), kListClients), 3u);  // no extra entry
  EXPECT_EQ(ComponentTypes(Sub(Item(list.get(), kListClients, 0), kInfoClient)),
            (std::vector<long long>{1, 11, 3, 4}));
  EXPECT_TRUE(handler.clients()[0].get_isMasterServer());
}

TEST_F(DiscoverClientsTest, RefusedLoginSendsOneStatusForItsExitCodes) {
  struct Case {
    int status;
    bool refused;
  } cases[] = {{137, true}, {53, true},  {35072, true}, {13568, true},
               {1, false},  {11, false}, {136, false},  {138 << 8, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    TempDir out;
    ScopedHandOver handOver(out.path());
    RecordingHostChannel channel;
    FakeDsmadmc fake;
    fake.On("SELECT VERSION", "6,3\n");
    fake.FailOn("query node", c.status);
    ScopedLauncher launcher(&fake);
    LogCapture log;
    CForeignHandlerTSM handler;
    handler.SetHostChannel(&channel);
    EXPECT_FALSE(handler.DiscoverClients(&config_));

    bool anyList = false;
    for (const std::string& f : ListDir(out.path())) anyList |= f.find("ClientsList") != std::string::npos;
    EXPECT_FALSE(anyList);
    if (!c.refused) {
      EXPECT_TRUE(channel.sent().empty());
      continue;
    }
    ASSERT_EQ(channel.sent().size(), 1u);
    const CNMessageBase& status = *channel.sent()[0];
    EXPECT_EQ(MessageTypeName(status.group(), status.classId()), "FDC::DiscoveryError");
    EXPECT_EQ(status.getint64(5, 8), 2);
    EXPECT_EQ(status.getstring(6, 9), "DB access password validation failed");
    EXPECT_EQ(status.getstring(4, 4), GetHostName());
    EXPECT_EQ(status.getint64(3, 3), 7);
    EXPECT_NE(log.text().find("Password verification failed for user [admin]."), std::string::npos);
  }
}

TEST_F(DiscoverClientsTest, RefusedLoginWithExchangeDisabledSendsNothing) {
  fake_.FailOn("query node", 137);
  channel_.set_ExchangeDisabled(true);
  LogCapture log;
  CForeignHandlerTSM handler;
  EXPECT_FALSE(Discover(handler));
  EXPECT_TRUE(channel_.sent().empty());
  EXPECT_TRUE(HandedOver().empty());
  EXPECT_NE(log.text().find("Password verification failed for user [admin]."), std::string::npos);
}

TEST_F(DiscoverClientsTest, StopRequestSkipsTheNodeQuery) {
  channel_.set_ControlOk(false);
  CForeignHandlerTSM handler;
  EXPECT_FALSE(Discover(handler));
  EXPECT_EQ(fake_.CountCommands("query node"), 0u);
  EXPECT_EQ(fake_.CountCommands("SELECT VERSION"), 1u);  // the probe still runs
  EXPECT_TRUE(HandedOver().empty());
  EXPECT_TRUE(channel_.sent().empty());
}

TEST_F(DiscoverClientsTest, FailedVersionProbeChangesNothing) {
  FakeDsmadmc fake;
  fake.FailOn("SELECT VERSION", 1);
  fake.On("query node", TwoNodes());
  ScopedLauncher launcher(&fake);
  CForeignHandlerTSM handler;
  EXPECT_TRUE(Discover(handler));
  EXPECT_EQ(handler.get_tsmVersion(), -1);
  EXPECT_EQ(HandedOver().size(), 1u);
}

TEST_F(DiscoverClientsTest, SecondCallAppendsTheNodesAgain) {
  fake_.On("query node", TwoNodes());
  CForeignHandlerTSM handler;
  ASSERT_TRUE(Discover(handler));
  ASSERT_TRUE(Discover(handler));
  EXPECT_EQ(handler.clients().size(), 4u);
  std::unique_ptr<CNMessageBase> second = ClientList("000002-App.ClientsList.xml");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(EntryNames(second.get()),
            (std::vector<std::string>{"NODE1", "WIN1", "NODE1", "WIN1", GetHostName()}));
}

TEST_F(DiscoverClientsTest, UnusableDirectoryIsLoggedAndDiscoveryGoesOn) {
  config_.setstring(5, 17, bin_.file("missing"));
  ScopedChdir cd(bin_.path());
  fake_.On("query node", TwoNodes());
  LogCapture log;
  CForeignHandlerTSM handler;
  EXPECT_TRUE(Discover(handler));
  EXPECT_NE(log.text().find("Unable to change to directory"), std::string::npos);
  EXPECT_EQ(handler.clients().size(), 2u);
}

TEST_F(DiscoverClientsTest, FailedHandOverIsAFailure) {
  fake_.On("query node", TwoNodes());
  zyhost::SetHandOverDirectory("");
  CForeignHandlerTSM handler;
  EXPECT_FALSE(Discover(handler));
}

}  // namespace
