#include <gtest/gtest.h>

#include <memory>

#include "host/CForeignHandlerBase.h"
#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/Messages.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ListDir;
using testsupport::LogCapture;
using testsupport::TempDir;

class ScopedHandOverDirectory {
 public:
  explicit ScopedHandOverDirectory(const std::string& dir) : old_(zyhost::HandOverDirectory()) {
    zyhost::SetHandOverDirectory(dir);
    zyhost::ResetHandOverSequence();
  }
  ~ScopedHandOverDirectory() {
    zyhost::SetHandOverDirectory(old_);
    zyhost::ResetHandOverSequence();
  }

 private:
  std::string old_;
};

TEST(HandlerBaseTest, WithoutChannel) {
  CForeignHandlerBase handler(0x123456789LL);
  EXPECT_EQ(handler.constructionValue(), 0x123456789LL);
  FDC::DiscoveryError status;
  bool sent = true;
  CKaError error = handler._SendMessage(status, 0, sent, 600);
  EXPECT_TRUE(error.IsError());
  EXPECT_NE(error.GetErrorCode(), 0);
  EXPECT_FALSE(error.AsString().empty());
  EXPECT_FALSE(sent);

  bool received = true;
  EXPECT_EQ(handler._ReceiveMessage(FDC::DiscoveryError::Signature(), received, 600), nullptr);
  EXPECT_FALSE(received);
  EXPECT_TRUE(handler.CheckServerControlMessage());
  EXPECT_EQ(handler.GetJobId(), 0);
  EXPECT_EQ(handler.GetProductType(), 0);
  EXPECT_FALSE(handler.hostExchangeDisabled);
  EXPECT_TRUE(handler.DiscoverClients(nullptr));
}

TEST(HandlerBaseTest, DumpNeedsMessageAndDirectory) {
  CForeignHandlerBase handler;
  FDC::DiscoveryError status;
  {
    ScopedHandOverDirectory none("");
    LogCapture log;
    EXPECT_FALSE(handler.DumpXmlMsgToFile(&status, 0, false));
    EXPECT_NE(log.text().find("ERROR"), std::string::npos) << log.text();
  }
  TempDir dir;
  ScopedHandOverDirectory scoped(dir.path());
  EXPECT_FALSE(handler.DumpXmlMsgToFile(nullptr, 0, false));
  {
    ScopedHandOverDirectory missing(dir.file("missing"));
    LogCapture log;
    EXPECT_FALSE(handler.DumpXmlMsgToFile(&status, 0, false));
    EXPECT_NE(log.text().find("missing"), std::string::npos) << log.text();
  }
  EXPECT_TRUE(ListDir(dir.path()).empty());
}

TEST(HandlerBaseTest, ChannelCarriesMessagesInOneSequence) {
  TempDir dir;
  ScopedHandOverDirectory scoped(dir.path());
  RecordingHostChannel channel;
  channel.set_JobId(77);
  channel.set_ExchangeDisabled(true);
  CForeignHandlerBase handler;
  handler.SetHostChannel(&channel);
  EXPECT_TRUE(handler.hostExchangeDisabled);
  EXPECT_EQ(handler.GetJobId(), 77);

  FDC::ExternalNBUConfig config;
  config.setstring(11, 41, "admin");
  EXPECT_TRUE(handler.DumpXmlMsgToFile(&config, 0, false));
  FDC::DiscoveryError status;
  status.setint64(5, 8, 2);
  bool sent = false;
  EXPECT_FALSE(handler._SendMessage(status, 0, sent, 600).IsError());
  EXPECT_TRUE(sent);
  status.setint64(5, 8, 3);  // the channel kept its own copy
  EXPECT_TRUE(handler.DumpXmlMsgToFile(&status, 0, false));

  EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"000001-FDC.ExternalNBUConfig.xml",
                                                           "000002-sent-FDC.DiscoveryError.xml",
                                                           "000003-FDC.DiscoveryError.xml"}));
  ASSERT_EQ(channel.sent().size(), 1u);
  EXPECT_EQ(channel.sent()[0]->getint64(8), 2);
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(channel.sent()[0].get()), nullptr);
  std::unique_ptr<CNMessageBase> recorded =
      zyhost::ReadMessageXml(dir.file("000002-sent-FDC.DiscoveryError.xml"));
  ASSERT_NE(recorded, nullptr);
  EXPECT_EQ(recorded->getint64(8), 2);

  channel.set_ControlOk(false);
  EXPECT_FALSE(handler.CheckServerControlMessage());
}

TEST(HandlerBaseTest, SendFailsWhenRecordingFails) {
  TempDir dir;
  ScopedHandOverDirectory scoped(dir.file("missing"));
  RecordingHostChannel channel;
  CForeignHandlerBase handler;
  handler.SetHostChannel(&channel);
  FDC::DiscoveryError status;
  bool sent = true;
  LogCapture log;
  EXPECT_TRUE(handler._SendMessage(status, 0, sent, 600).IsError());
  EXPECT_FALSE(sent);
}

TEST(HandlerBaseTest, ReceiveTakesFirstAnswerOfTheClass) {
  RecordingHostChannel channel;
  CForeignHandlerBase handler;
  handler.SetHostChannel(&channel);
  FDC::DiscoveryError first;
  first.setint64(5, 8, 1);
  FDC::DiscoveryError second;
  second.setint64(5, 8, 2);
  channel.QueueAnswer(FDC::ExternalNBUConfig());
  channel.QueueAnswer(first);
  channel.QueueAnswer(second);

  bool received = false;
  std::unique_ptr<CNMessageBase> got(
      handler._ReceiveMessage(FDC::DiscoveryError::Signature(), received, 600));
  ASSERT_NE(got, nullptr);
  EXPECT_TRUE(received);
  EXPECT_EQ(got->getint64(8), 1);
  got.reset(handler._ReceiveMessage(FDC::DiscoveryError::Signature(), received, 600));
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(got->getint64(8), 2);
  got.reset(handler._ReceiveMessage(FDC::DiscoveryError::Signature(), received, 600));
  EXPECT_EQ(got, nullptr);
  EXPECT_FALSE(received);
  got.reset(handler._ReceiveMessage(FDC::ExternalNBUConfig::Signature(), received, 600));
  EXPECT_NE(dynamic_cast<FDC::ExternalNBUConfig*>(got.get()), nullptr);
}

}  // namespace
