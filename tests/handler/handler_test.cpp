// The handler object: constructors and the operations that do nothing.
#include <gtest/gtest.h>

#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "host/Messages.h"

namespace {

TEST(HandlerTest, BothConstructorsSetJobBatchAndUnknownVersion) {
  CForeignHandlerTSM plain;
  CForeignHandlerTSM valued(0x123456789LL);
  for (const CForeignHandlerTSM* handler : {&plain, &valued}) {
    EXPECT_EQ(1000u, handler->get_jobsPerReply());
    EXPECT_EQ(-1, handler->get_tsmVersion());
    EXPECT_EQ(-1, handler->get_tsmRelease());
  }
  EXPECT_EQ(0x123456789LL, valued.constructionValue());
}

// The trivial operations succeed and touch nothing; a missing
// configuration message is a host fault that DiscoverConfig reports.
TEST(HandlerTest, TrivialOperations) {
  CForeignHandlerTSM handler;
  FDC::ExternalNBUConfig config;
  config.setstring(5, 17, "/opt/tsm/");
  std::vector<ArchFileListByTimeElement_t> resources(1);
  resources[0].path = "/keep";
  EXPECT_TRUE(handler.DiscoverStoragePolicies(&config));
  EXPECT_TRUE(handler.DoRestore(&config));
  EXPECT_TRUE(handler.RetrieveMetadata());
  EXPECT_TRUE(handler.GetResourcesForBackup(resources));
  EXPECT_TRUE(handler.DiscoverStoragePolicies(nullptr));
  EXPECT_TRUE(handler.DoRestore(nullptr));
  EXPECT_EQ(1u, config.fields().size());
  EXPECT_EQ("/opt/tsm/", config.getstring(5, 17));
  ASSERT_EQ(1u, resources.size());
  EXPECT_EQ("/keep", resources[0].path);
  EXPECT_FALSE(handler.DiscoverConfig(nullptr));
}

}  // namespace
