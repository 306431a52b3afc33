// The handler object: constructors, the server identity and the output
// path of the host registry.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "handler/CForeignHandlerTSM.h"
#include "host/ZYPlatformInfo.h"
#include "host/ZyUtil.h"
#include "tests/support/Guards.h"

namespace {

// Runs `undo` when it goes out of scope: restores a process-wide setting.
class Restore {
 public:
  explicit Restore(std::function<void()> undo) : undo_(std::move(undo)) {}
  ~Restore() { undo_(); }

 private:
  std::function<void()> undo_;
};

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

// Live, the server is this machine; from existing files it is the server
// the files were gathered on.
TEST(HandlerTest, DomainNameFollowsHostOrServerName) {
  Restore server([old = CForeignHandlerTSM::m_serverName] { CForeignHandlerTSM::m_serverName = old; });
  CForeignHandlerTSM::m_serverName = "srv01";
  EXPECT_EQ("srv01", CForeignHandlerTSM::GetServerName());
  ASSERT_FALSE(GetHostName().empty());
  for (bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "existing files" : "live");
    testsupport::ScopedExistingFiles files(existing, existing ? "/gathered/" : "");
    const std::string domain = "TSM_" + (existing ? std::string("srv01") : GetHostName());
    EXPECT_EQ(domain, CForeignHandlerTSM::GenerateZyphorName());
    EXPECT_EQ("DAILY_" + domain, CForeignHandlerTSM::GenerateCompositeName("DAILY"));
  }
}

TEST(HandlerTest, CustomerDBPath) {
  testsupport::TempDir dir;
  Restore registry([old = ZYPlatformInfo::RegistryFile()] { ZYPlatformInfo::SetRegistryFile(old); });
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
