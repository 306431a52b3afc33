// DiscoverClients with a scripted dsmadmc and a recording host channel.
#include <gtest/gtest.h>

#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/MessageFields.h"
#include "host/MessageSchema.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace zyfields;
using namespace clienttest;
using namespace testsupport;

const std::string kTwoNodes = NodeLine({"NODE1", "Linux86"}) + "\n" + NodeLine({"WIN1", "WinNT"}) + "\n";

// One discovery: dsmadmc and hand-over directories (the hand-over is
// pointed at `out` and renumbered, and restored after), a scripted dsmadmc
// (version 6.3, no schedules), a recording channel and a handler.
struct Discovery {
  Discovery() {
    config.setstring(5, 17, bin.path());
    config.setstring(11, 41, "admin");
    config.setstring(12, 45, "secret");
    fake.On("SELECT VERSION, RELEASE FROM STATUS", "6,3\n");
    fake.FailOn("Nodes=", 11);
  }
  bool Run() {
    handler.SetHostChannel(&channel);
    return handler.DiscoverClients(&config);
  }
  // Client names of the n-th handed-over list, kept in `list`.
  std::string EntryNames(int n = 1) {
    list = zyhost::ReadMessageXml(out.file("00000" + std::to_string(n) + "-App.ClientsList.xml"));
    std::string names;
    for (size_t i = 0; i < Count(list.get(), App::ClientsList::clients); ++i) {
      names += (i > 0 ? "," : "") +
               GetString(Sub(Entry(i), App::Client::clientEntity), ZyEntities::ClientEntity::clientName);
    }
    return names;
  }
  const CNMessageBase* Entry(size_t i) const {
    return Sub(Item(list.get(), App::ClientsList::clients, i), App::ClientInfo::client);
  }

  TempDir bin, out;
  ScopedHandOver handOver{out.path()};
  FakeDsmadmc fake;
  RecordingHostChannel channel;
  FDC::ExternalNBUConfig config;
  CForeignHandlerTSM handler;
  std::unique_ptr<CNMessageBase> list;
};

class DiscoverClientsTest : public ::testing::Test {
 protected:
  ScopedChdir cd_{"/"};
  ScopedExistingFiles live_{false, ""};
  ScopedServerName server_{""};
  Discovery d_;
};

TEST_F(DiscoverClientsTest, NodesAndSynthesizedMasterEntryAreHandedOver) {
  d_.fake.On("query node", kTwoNodes);
  ASSERT_TRUE(d_.Run());
  EXPECT_EQ(std::to_string(d_.handler.get_tsmVersion()) + "." + std::to_string(d_.handler.get_tsmRelease()),
            "6.3");
  EXPECT_EQ(CForeignHandlerTSM::GetServerName(), GetHostName());
  ASSERT_EQ(d_.handler.clients().size(), 2u);
  EXPECT_EQ(d_.handler.clients()[0].login + "/" + d_.handler.clients()[0].password, "admin/secret");
  EXPECT_TRUE(d_.channel.sent().empty());
  EXPECT_EQ(ListDir(d_.out.path()), std::vector<std::string>{"000001-App.ClientsList.xml"});
  EXPECT_EQ(d_.EntryNames(), "NODE1,WIN1," + GetHostName());
  EXPECT_EQ(GetInt(d_.list.get(), App::ClientsList::field2), 0);
  EXPECT_EQ(GetInt(d_.list.get(), App::ClientsList::field3), 8);
  EXPECT_EQ(GetString(d_.Entry(2), App::Client::installDirectory), d_.bin.path());
  EXPECT_TRUE(FileExists(d_.bin.file("ixr_node.txt")));  // the node query ran from the dsmadmc directory
  EXPECT_EQ(d_.fake.CountCommands("-password=secret"), 4u);
  // A second call appends the nodes again; a failed hand-over fails.
  ASSERT_TRUE(d_.Run());
  EXPECT_EQ(d_.EntryNames(2), "NODE1,WIN1,NODE1,WIN1," + GetHostName());
  zyhost::SetHandOverDirectory("");
  EXPECT_FALSE(d_.Run());
}

TEST_F(DiscoverClientsTest, RefusedLoginSendsOneStatusOnlyForItsExitCodes) {
  for (int status : {137, 53, 35072, 13568, 1, 11, 136, 138 << 8}) {
    SCOPED_TRACE(status);
    const bool refused = status == 137 || status == 53 || status == 35072 || status == 13568;
    Discovery d;
    d.fake.FailOn("query node", status);
    LogCapture log;
    EXPECT_FALSE(d.Run());
    for (const std::string& f : ListDir(d.out.path())) EXPECT_EQ(f.find("ClientsList"), std::string::npos);
    ASSERT_EQ(d.channel.sent().size(), refused ? 1u : 0u);
    if (!refused) continue;
    const CNMessageBase& sent = *d.channel.sent()[0];
    EXPECT_EQ(MessageTypeName(sent.group(), sent.classId()), "FDC::DiscoveryError");
    EXPECT_EQ(sent.getint64(5, 8), 2);
    EXPECT_EQ(sent.getstring(6, 9), "DB access password validation failed");
    EXPECT_EQ(sent.getstring(4, 4), GetHostName());
    EXPECT_EQ(sent.getint64(3, 3), 7);
    EXPECT_NE(log.text().find("Password verification failed for user [admin]."), std::string::npos);
  }
}

TEST_F(DiscoverClientsTest, RefusedLoginWithExchangeDisabledOrStopRequestSendsNothing) {
  d_.fake.FailOn("query node", 137);
  d_.channel.set_ExchangeDisabled(true);
  LogCapture log;
  EXPECT_FALSE(d_.Run());
  EXPECT_TRUE(d_.channel.sent().empty());
  EXPECT_TRUE(ListDir(d_.out.path()).empty());
  EXPECT_NE(log.text().find("Password verification failed for user [admin]."), std::string::npos);

  Discovery stopped;
  stopped.channel.set_ControlOk(false);
  EXPECT_FALSE(stopped.Run());
  EXPECT_EQ(stopped.fake.CountCommands("query node"), 0u);
  EXPECT_EQ(stopped.fake.CountCommands("SELECT VERSION"), 1u);  // the probe still runs
  EXPECT_TRUE(ListDir(stopped.out.path()).empty());
  EXPECT_TRUE(stopped.channel.sent().empty());
}

TEST_F(DiscoverClientsTest, FailedProbeOrUnusableDirectoryDoNotStopDiscovery) {
  d_.config.setstring(5, 17, d_.bin.file("missing"));
  ScopedChdir cd(d_.bin.path());
  FakeDsmadmc fake;  // installed in place of d_.fake
  fake.FailOn("SELECT VERSION", 1);
  fake.On("query node", kTwoNodes);
  LogCapture log;
  EXPECT_TRUE(d_.Run());
  EXPECT_EQ(d_.handler.get_tsmVersion(), -1);
  EXPECT_NE(log.text().find("Unable to change to directory"), std::string::npos);
  EXPECT_EQ(d_.EntryNames(), "NODE1,WIN1," + GetHostName());
}

}  // namespace
