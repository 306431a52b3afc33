#include <gtest/gtest.h>

#include "host/CForeignHandlerBase.h"
#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/Messages.h"
#include "tests/support/Guards.h"

namespace {

using testsupport::ListDir;
using testsupport::ScopedHandOver;

TEST(HandlerBaseTest, WithoutChannelOrDirectory) {
  CForeignHandlerBase handler;
  FDC::DiscoveryError status;
  bool done = true;
  EXPECT_TRUE(handler._SendMessage(status, 0, done, 600).IsError());
  EXPECT_FALSE(done);
  done = true;
  EXPECT_EQ(handler._ReceiveMessage(FDC::DiscoveryError::Signature(), done, 600), nullptr);
  EXPECT_FALSE(done);
  EXPECT_TRUE(handler.CheckServerControlMessage());
  EXPECT_EQ(handler.GetJobId() + handler.GetProductType(), 0);
  EXPECT_FALSE(handler.hostExchangeDisabled);

  testsupport::TempDir dir;
  for (const std::string& where : {std::string(), dir.file("missing")}) {
    SCOPED_TRACE(where);
    ScopedHandOver handOver(where);
    testsupport::LogCapture log;
    EXPECT_FALSE(handler.DumpXmlMsgToFile(&status, 0, false));
    EXPECT_NE(log.text().find("ERROR"), std::string::npos) << log.text();
  }
  ScopedHandOver handOver(dir.path());
  EXPECT_FALSE(handler.DumpXmlMsgToFile(nullptr, 0, false));
  EXPECT_TRUE(ListDir(dir.path()).empty());
}

// Hand-overs and sent messages share one numbering, so the host sees the
// order they happened in; a send that is not recorded is a failed send.
// (The channel's answer queue is exercised through DiscoverConfig.)
TEST(HandlerBaseTest, ChannelCarriesMessagesInOneSequence) {
  testsupport::TempDir dir;
  ScopedHandOver handOver(dir.path());
  RecordingHostChannel channel;
  channel.set_JobId(77);
  channel.set_ExchangeDisabled(true);
  CForeignHandlerBase handler;
  handler.SetHostChannel(&channel);
  EXPECT_TRUE(handler.hostExchangeDisabled);
  EXPECT_EQ(handler.GetJobId(), 77);
  FDC::ExternalNBUConfig config;
  FDC::DiscoveryError status;
  bool done = false;
  EXPECT_TRUE(handler.DumpXmlMsgToFile(&config, 0, false));
  EXPECT_FALSE(handler._SendMessage(status, 0, done, 600).IsError());
  EXPECT_TRUE(done);
  EXPECT_TRUE(handler.DumpXmlMsgToFile(&status, 0, false));
  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"000001-FDC.ExternalNBUConfig.xml",
                                                           "000002-sent-FDC.DiscoveryError.xml",
                                                           "000003-FDC.DiscoveryError.xml"}));
  channel.set_ControlOk(false);
  EXPECT_FALSE(handler.CheckServerControlMessage());

  ScopedHandOver::Set(dir.file("missing"));
  testsupport::LogCapture log;
  EXPECT_TRUE(handler._SendMessage(status, 0, done, 600).IsError());
  EXPECT_FALSE(done);
}

}  // namespace
