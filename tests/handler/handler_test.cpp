// The handler object: constructors and the operations that do nothing.
#include <gtest/gtest.h>

#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "host/Messages.h"

namespace {

TEST(HandlerTest, ConstructorsSetJobBatchAndUnknownVersion) {
  CForeignHandlerTSM plain;
  CForeignHandlerTSM valued(0x123456789LL);
  for (const CForeignHandlerTSM* handler : {&plain, &valued}) {
    EXPECT_EQ(1000u, handler->get_jobsPerReply());
    EXPECT_EQ(-1, handler->get_tsmVersion());
    EXPECT_EQ(-1, handler->get_tsmRelease());
    EXPECT_TRUE(handler->clients().empty());
  }
  EXPECT_EQ(0x123456789LL, valued.constructionValue());
}

TEST(HandlerTest, TrivialOperationsTouchNothing) {
  CForeignHandlerTSM handler;
  FDC::ExternalNBUConfig config;
  config.setstring(5, 17, "/opt/tsm/");
  config.setstring(12, 45, "secret");

  EXPECT_TRUE(handler.DiscoverStoragePolicies(&config));
  EXPECT_TRUE(handler.DoRestore(&config));
  EXPECT_TRUE(handler.RetrieveMetadata());
  EXPECT_EQ(2u, config.fields().size());
  EXPECT_EQ("/opt/tsm/", config.getstring(5, 17));
  EXPECT_EQ("secret", config.getstring(12, 45));

  std::vector<ArchFileListByTimeElement_t> resources(1);
  resources[0].path = "/keep";
  resources[0].time = 42;
  EXPECT_TRUE(handler.GetResourcesForBackup(resources));
  ASSERT_EQ(1u, resources.size());
  EXPECT_EQ("/keep", resources[0].path);
  EXPECT_EQ(42, resources[0].time);

  EXPECT_TRUE(handler.DiscoverStoragePolicies(nullptr));
  EXPECT_TRUE(handler.DoRestore(nullptr));
}

// A missing configuration message is a host fault: reported, not hidden.
TEST(HandlerTest, DiscoverConfigWithoutMessageFails) {
  CForeignHandlerTSM handler;
  EXPECT_FALSE(handler.DiscoverConfig(nullptr));
}

}  // namespace
