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
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace clientfields;
using namespace clienttest;
using namespace testsupport;
using Names = std::vector<std::string>;

const std::string kTwoNodes = NodeLine({}) + "\n" + NodeLine({"WIN1", "WinNT"}) + "\n";

class DiscoverClientsTest : public ::testing::Test {
 protected:
  DiscoverClientsTest() {
    config_.setstring(5, 17, bin_.path());
    config_.setstring(11, 41, "admin");
    config_.setstring(12, 45, "secret");
    fake_.On("SELECT VERSION, RELEASE FROM STATUS", "6,3\n");
    fake_.FailOn("Nodes=", 11);  // no schedules
    handler_.SetHostChannel(&channel_);
  }
  // Client names of the n-th handed-over list; list_ holds it.
  Names EntryNames(int n = 1) {
    list_ = zyhost::ReadMessageXml(out_.file("00000" + std::to_string(n) + "-App.ClientsList.xml"));
    Names names;
    for (size_t i = 0; i < Count(list_.get(), kListClients); ++i) {
      names.push_back(GetString(Sub(Entry(i), kClientEntity), kClientName));
    }
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
  fake_.On("query node", kTwoNodes);
  ASSERT_TRUE(handler_.DiscoverClients(&config_));
  EXPECT_EQ(std::to_string(handler_.get_tsmVersion()) + "." + std::to_string(handler_.get_tsmRelease()),
            "6.3");
  EXPECT_EQ(CForeignHandlerTSM::GetServerName(), GetHostName());
  ASSERT_EQ(handler_.clients().size(), 2u);
  EXPECT_EQ(handler_.clients()[0].login + "/" + handler_.clients()[0].password, "admin/secret");
  EXPECT_TRUE(channel_.sent().empty());
  EXPECT_EQ(ListDir(out_.path()), Names{"000001-App.ClientsList.xml"});
  EXPECT_EQ(EntryNames(), (Names{"NODE1", "WIN1", GetHostName()}));
  EXPECT_EQ(std::to_string(GetInt(list_.get(), kListField2)) + "," +
                std::to_string(GetInt(list_.get(), kListField3)),
            "0,8");
  EXPECT_EQ(ComponentTypes(Entry(2)), "1 11");
  EXPECT_EQ(GetString(Entry(2), kClientInstallDirectory), bin_.path());
  EXPECT_TRUE(FileExists(bin_.file("ixr_node.txt")));  // the node query ran from the dsmadmc directory
  EXPECT_EQ(fake_.CountCommands("-password=secret"), 4u);
}

TEST_F(DiscoverClientsTest, RefusedLoginSendsOneStatusOnlyForItsExitCodes) {
  for (int status : {137, 53, 35072, 13568, 1, 11, 136, 138 << 8}) {
    SCOPED_TRACE(status);
    const bool refused = status == 137 || status == 53 || status == 35072 || status == 13568;
    TempDir out;
    ScopedHandOver handOver(out.path());
    RecordingHostChannel channel;
    FakeDsmadmc fake;
    fake.On("SELECT VERSION", "6,3\n");
    fake.FailOn("query node", status);
    LogCapture log;
    CForeignHandlerTSM handler;
    handler.SetHostChannel(&channel);
    EXPECT_FALSE(handler.DiscoverClients(&config_));
    for (const std::string& f : ListDir(out.path())) EXPECT_EQ(f.find("ClientsList"), std::string::npos);
    ASSERT_EQ(channel.sent().size(), refused ? 1u : 0u);
    if (!refused) continue;
    const CNMessageBase& sent = *channel.sent()[0];
    EXPECT_EQ(MessageTypeName(sent.group(), sent.classId()), "FDC::DiscoveryError");
    EXPECT_EQ(sent.getint64(5, 8), 2);
    EXPECT_EQ(sent.getstring(6, 9), "DB access password validation failed");
    EXPECT_EQ(sent.getstring(4, 4), GetHostName());
    EXPECT_EQ(sent.getint64(3, 3), 7);
    EXPECT_NE(log.text().find("Password verification failed for user [admin]."), std::string::npos);
  }
}

TEST_F(DiscoverClientsTest, RefusedLoginWithExchangeDisabledSendsNothing) {
  fake_.FailOn("query node", 137);
  channel_.set_ExchangeDisabled(true);
  handler_.SetHostChannel(&channel_);  // the handler reads the setting when attached
  LogCapture log;
  EXPECT_FALSE(handler_.DiscoverClients(&config_));
  EXPECT_TRUE(channel_.sent().empty());
  EXPECT_TRUE(ListDir(out_.path()).empty());
  EXPECT_NE(log.text().find("Password verification failed for user [admin]."), std::string::npos);
}

TEST_F(DiscoverClientsTest, StopRequestSkipsTheNodeQuery) {
  channel_.set_ControlOk(false);
  EXPECT_FALSE(handler_.DiscoverClients(&config_));
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
  fake.On("query node", kTwoNodes);
  LogCapture log;
  EXPECT_TRUE(handler_.DiscoverClients(&config_));
  EXPECT_EQ(handler_.get_tsmVersion(), -1);
  EXPECT_NE(log.text().find("Unable to change to directory"), std::string::npos);
  EXPECT_EQ(EntryNames(), (Names{"NODE1", "WIN1", GetHostName()}));
}

TEST_F(DiscoverClientsTest, SecondCallAppendsTheNodesAgainAndFailedHandOverFails) {
  fake_.On("query node", kTwoNodes);
  ASSERT_TRUE(handler_.DiscoverClients(&config_));
  ASSERT_TRUE(handler_.DiscoverClients(&config_));
  EXPECT_EQ(EntryNames(2), (Names{"NODE1", "WIN1", "NODE1", "WIN1", GetHostName()}));
  zyhost::SetHandOverDirectory("");
  EXPECT_FALSE(handler_.DiscoverClients(&config_));
}

}  // namespace
