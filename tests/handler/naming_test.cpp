// Server name, domain name and the output path of the host registry.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "handler/CForeignHandlerTSM.h"
#include "host/ZYPlatformInfo.h"
#include "host/ZyUtil.h"
#include "tests/support/Guards.h"

namespace {

using testsupport::ScopedExistingFiles;

// Runs `undo` when it goes out of scope: restores a process-wide setting.
class Restore {
 public:
  explicit Restore(std::function<void()> undo) : undo_(std::move(undo)) {}
  ~Restore() { undo_(); }

 private:
  std::function<void()> undo_;
};

// Live, the server is this machine; from existing files it is the server
// the files were gathered on.
TEST(NamingTest, DomainNameFollowsHostOrServerName) {
  Restore server([old = CForeignHandlerTSM::m_serverName] { CForeignHandlerTSM::m_serverName = old; });
  CForeignHandlerTSM::m_serverName = "srv01";
  EXPECT_EQ("srv01", CForeignHandlerTSM::GetServerName());
  ASSERT_FALSE(GetHostName().empty());
  for (bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "existing files" : "live");
    ScopedExistingFiles files(existing, existing ? "/gathered/" : "");
    const std::string domain = "TSM_" + (existing ? std::string("srv01") : GetHostName());
    EXPECT_EQ(domain, CForeignHandlerTSM::GenerateZyphorName());
    EXPECT_EQ("DAILY_" + domain, CForeignHandlerTSM::GenerateCompositeName("DAILY"));
  }
}

TEST(NamingTest, CustomerDBPath) {
  testsupport::TempDir dir;
  Restore registry([old = ZYPlatformInfo::RegistryFile()] { ZYPlatformInfo::SetRegistryFile(old); });
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm\n", "/data/tsm/"},
      {"[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm/\n", "/data/tsm/"},
      {"[Other]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    testsupport::WriteFile(dir.file("registry.ini"), c.first);
    ZYPlatformInfo::SetRegistryFile(dir.file("registry.ini"));
    EXPECT_EQ(c.second, CForeignHandlerTSM::GetCustomerDBPath());
  }
  ZYPlatformInfo::SetRegistryFile("");
  EXPECT_EQ("", CForeignHandlerTSM::GetCustomerDBPath());
}

}  // namespace
