// The handler object: constructors and the output path of the host
// registry. (The names built from the server identity are checked in the
// hand-over files of the schedule and media discoveries, live and replayed.)
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "handler/CForeignHandlerTSM.h"
#include "host/ZYPlatformInfo.h"
#include "tests/support/Guards.h"

namespace {

// Both constructors give the same job batch and an unknown version; a
// missing configuration message is a host fault that DiscoverConfig
// reports.
TEST(HandlerTest, ConstructorsAndMissingConfiguration) {
  CForeignHandlerTSM plain;
  CForeignHandlerTSM valued(0x123456789LL);
  EXPECT_EQ(0x123456789LL, valued.constructionValue());
  for (CForeignHandlerTSM* handler : {&plain, &valued}) {
    EXPECT_EQ(1000u, handler->get_jobsPerReply());
    EXPECT_EQ(std::make_pair(-1, -1), std::make_pair(handler->get_tsmVersion(), handler->get_tsmRelease()));
  }
  EXPECT_FALSE(plain.DiscoverConfig(nullptr));
}

TEST(HandlerTest, CustomerDBPath) {
  testsupport::TempDir dir;
  testsupport::Undo registry{
      [old = ZYPlatformInfo::RegistryFile()] { ZYPlatformInfo::SetRegistryFile(old); }};
  const std::pair<const char*, std::string> cases[] = {
      {nullptr, ""},  // no registry file
      {"[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm\n", "/data/tsm/"},
      {"[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm/\n", "/data/tsm/"},
      {"[Other]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm\n", ""},  // other section
  };
  for (const auto& [registryText, path] : cases) {
    SCOPED_TRACE(registryText != nullptr ? registryText : "none");
    if (registryText != nullptr) testsupport::WriteFile(dir.file("registry.ini"), registryText);
    ZYPlatformInfo::SetRegistryFile(registryText != nullptr ? dir.file("registry.ini") : "");
    EXPECT_EQ(path, CForeignHandlerTSM::GetCustomerDBPath());
  }
}

}  // namespace
