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
#include "tests/support/Guards.h"

namespace {

using namespace clientfields;
using namespace clienttest;
using namespace testsupport;
using Names = std::vector<std::string>;

std::string TwoNodes() {
  NodeColumns win;
  win.name = "WIN1";
  win.platform = "WinNT";
  return NodeLine(NodeColumns()) + "\n" + NodeLine(win) + "\n";
}

class DiscoverClientsTest : public ::testing::Test {
 protected:
  DiscoverClientsTest() {
    config_.setstring(5, 17, bin_.path());
    config_.setstring(11, 41, "admin");
    config_.setstring(12, 45, "secret");
    fake_.On("SELECT VERSION, RELEASE FROM STATUS", "6,3\n");
    fake_.FailOn("Nodes=", 11);  // no schedules
  }

  bool Discover() {
    handler_.SetHostChannel(&channel_);
    return handler_.DiscoverClients(&config_);
  }
  // The clients of the n-th handed-over list, as names and as messages.
  Names EntryNames(int n = 1) {
    list_ = zyhost::ReadMessageXml(out_.file("00000" + std::to_string(n) + "-App.ClientsList.xml"));
    Names names;
    for (size_t i = 0; i < Count(list_.get(), kListClients); ++i)
      names.push_back(GetString(Sub(Entry(i), kClientEntity), kClientName));
    return names;
  }
  const CNMessageBase* Entry(size_t i) const { return Sub(Item(list_.get(), kListClients, i), kInfoClient); }

  TempDir bin_;  // the dsmadmc directory; the operation changes into it
  TempDir out_;  // hand-over directory
  ScopedChdir cd_{"/"};
  ScopedExistingFiles live_{false, ""};
  ScopedServerName server_{""};
  ScopedHandOver handOver_{out_.path()};
  FakeDsmadmc fake_;
  RecordingHostChannel channel_;
  FDC::ExternalNBUConfig config_;
  CForeignHandlerTSM handler_;
  std::unique_ptr<CNMessageBase> list_;
};

TEST_F(DiscoverClientsTest, NodesAndSynthesizedMasterEntryAreHandedOver) {
  fake_.On("query node", TwoNodes());
  ASSERT_TRUE(Discover());
  EXPECT_EQ(handler_.get_tsmVersion(), 6);
  EXPECT_EQ(handler_.get_tsmRelease(), 3);
  EXPECT_EQ(CForeignHandlerTSM::GetServerName(), GetHostName());
  ASSERT_EQ(handler_.clients().size(), 2u);
  EXPECT_EQ(handler_.clients()[0].login + "/" + handler_.clients()[0].password, "admin/secret");
  EXPECT_TRUE(channel_.sent().empty());
  EXPECT_EQ(ListDir(out_.path()), Names{"000001-App.ClientsList.xml"});
  EXPECT_EQ(EntryNames(), (Names{"NODE1", "WIN1", GetHostName()}));
  EXPECT_EQ(GetInt(list_.get(), kListField2), 0);
  EXPECT_EQ(GetInt(list_.get(), kListField3), 8);
  EXPECT_EQ(ComponentTypes(Entry(2)), (std::vector<long long>{1, 11}));
  EXPECT_EQ(GetString(Entry(2), kClientInstallDirectory), bin_.path());
  EXPECT_TRUE(FileExists(bin_.file("ixr_node.txt")));  // the node query ran from the dsmadmc directory
  EXPECT_EQ(fake_.CountCommands("-password=secret"), 4u);
}

TEST_F(DiscoverClientsTest, ServerNodeIsTheMasterEntry) {
  NodeColumns server;
  server.name = GetHostName();
  fake_.On("query node", NodeLine(server) + "\n" + TwoNodes());
  ASSERT_TRUE(Discover());
  EXPECT_EQ(EntryNames().size(), 3u);  // no extra entry
  EXPECT_EQ(ComponentTypes(Entry(0)), (std::vector<long long>{1, 11, 3, 4}));
  EXPECT_TRUE(handler_.clients()[0].get_isMasterServer());
}

TEST_F(DiscoverClientsTest, RefusedLoginSendsOneStatusOnlyForItsExitCodes) {
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
    LogCapture log;
    CForeignHandlerTSM handler;
    handler.SetHostChannel(&channel);
    EXPECT_FALSE(handler.DiscoverClients(&config_));
    for (const std::string& f : ListDir(out.path())) EXPECT_EQ(f.find("ClientsList"), std::string::npos);
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
  EXPECT_FALSE(Discover());
  EXPECT_TRUE(channel_.sent().empty());
  EXPECT_TRUE(ListDir(out_.path()).empty());
  EXPECT_NE(log.text().find("Password verification failed for user [admin]."), std::string::npos);
}

TEST_F(DiscoverClientsTest, StopRequestSkipsTheNodeQuery) {
  channel_.set_ControlOk(false);
  EXPECT_FALSE(Discover());
  EXPECT_EQ(fake_.CountCommands("query node"), 0u);
  EXPECT_EQ(fake_.CountCommands("SELECT VERSION"), 1u);  // the probe still runs
  EXPECT_TRUE(ListDir(out_.path()).empty());
  EXPECT_TRUE(channel_.sent().empty());
}

TEST_F(DiscoverClientsTest, FailedProbeOrUnusableDirectoryDoNotStopDiscovery) {
  config_.setstring(5, 17, bin_.file("missing"));
  ScopedChdir cd(bin_.path());
  FakeDsmadmc fake;  // installed in place of fake_
  fake.FailOn("SELECT VERSION", 1);
  fake.On("query node", TwoNodes());
  LogCapture log;
  EXPECT_TRUE(Discover());
  EXPECT_EQ(handler_.get_tsmVersion(), -1);
  EXPECT_NE(log.text().find("Unable to change to directory"), std::string::npos);
  EXPECT_EQ(handler_.clients().size(), 2u);
  EXPECT_EQ(ListDir(out_.path()).size(), 1u);
}

TEST_F(DiscoverClientsTest, SecondCallAppendsTheNodesAgain) {
  fake_.On("query node", TwoNodes());
  ASSERT_TRUE(Discover());
  ASSERT_TRUE(Discover());
  EXPECT_EQ(handler_.clients().size(), 4u);
  EXPECT_EQ(EntryNames(2), (Names{"NODE1", "WIN1", "NODE1", "WIN1", GetHostName()}));
}

TEST_F(DiscoverClientsTest, FailedHandOverIsAFailure) {
  fake_.On("query node", TwoNodes());
  zyhost::SetHandOverDirectory("");
  EXPECT_FALSE(Discover());
}

}  // namespace
