// Server name, domain name and the output path of the host registry.
#include <gtest/gtest.h>

#include <string>

#include "handler/CForeignHandlerTSM.h"
#include "host/ZYPlatformInfo.h"
#include "host/ZyUtil.h"
#include "tests/handler/HandlerTestGuards.h"

namespace {

using handlertest::ScopedExistingFiles;
using testsupport::TempDir;
using testsupport::WriteFile;

class ScopedServerName {
 public:
  explicit ScopedServerName(const std::string& name) : old_(CForeignHandlerTSM::m_serverName) {
    CForeignHandlerTSM::m_serverName = name;
  }
  ~ScopedServerName() { CForeignHandlerTSM::m_serverName = old_; }

 private:
  std::string old_;
};

class ScopedRegistry {
 public:
  explicit ScopedRegistry(const std::string& path) : old_(ZYPlatformInfo::RegistryFile()) {
    ZYPlatformInfo::SetRegistryFile(path);
  }
  ~ScopedRegistry() { ZYPlatformInfo::SetRegistryFile(old_); }

 private:
  std::string old_;
};

TEST(NamingTest, DomainNameFollowsHostWithoutExistingFiles) {
  ScopedExistingFiles live(false, "");
  ScopedServerName server("srv01");
  const std::string host = GetHostName();
  ASSERT_FALSE(host.empty());
  EXPECT_EQ("srv01", CForeignHandlerTSM::GetServerName());
  EXPECT_EQ("TSM_" + host, CForeignHandlerTSM::GenerateZyphorName());
  EXPECT_EQ("DAILY_TSM_" + host, CForeignHandlerTSM::GenerateCompositeName("DAILY"));
  EXPECT_EQ("_TSM_" + host, CForeignHandlerTSM::GenerateCompositeName(""));
}

TEST(NamingTest, DomainNameFollowsServerNameWithExistingFiles) {
  ScopedExistingFiles gathered(true, "/gathered/");
  ScopedServerName server("srv01");
  EXPECT_EQ("TSM_srv01", CForeignHandlerTSM::GenerateZyphorName());
  EXPECT_EQ("DAILY_TSM_srv01", CForeignHandlerTSM::GenerateCompositeName("DAILY"));
}

TEST(NamingTest, CustomerDBPath) {
  TempDir dir;
  struct Case {
    const char* registry;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {"[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm\n", "/data/tsm/"},
      {"[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm/\n", "/data/tsm/"},
      {"[Other]\nIXRDiscovery_TSMOUTPUTPATH = /data/tsm\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.registry);
    WriteFile(dir.file("registry.ini"), c.registry);
    ScopedRegistry registry(dir.file("registry.ini"));
    EXPECT_EQ(c.expected, CForeignHandlerTSM::GetCustomerDBPath());
  }
  ScopedRegistry none("");
  EXPECT_EQ("", CForeignHandlerTSM::GetCustomerDBPath());
}

}  // namespace
