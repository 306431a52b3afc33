// Operating-system mapping and the two server tests.
#include <gtest/gtest.h>

#include <string>

#include "clients/ClientFields.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"

namespace {

using namespace clientfields;

TEST(OsMap, PopulateOsInfoRows) {
  struct Case {
    const char *platform, *level;
    long long type;
    const char *family, *flavour, *version;
  } cases[] = {
      {"Linux86", "2.6", 25, "Unix", "Linux", "Any"},    {"LINUX86", "", 25, "Unix", "Linux", "Any"},
      {"Linux86 ", "2.6", 0, "Any", "Any", "Any"},  // trailing blank: not trimmed
      {"WinNT", "5.02", 34, "Windows", "Server", "5.2"}, {"WinNT", "5.00", 3, "Windows", "Server", "5.0"},
      {"winnt", "6.00", 65, "Windows", "Server", "6.0"}, {"WinNT", "6.01", 65, "Windows", "Server", "6.0"},
      {"WinNT", "6.02", 21, "Windows", "Server", "Any"}, {"WinNT", "", 21, "Windows", "Server", "Any"},
      {"AIX", "7.1", 36, "Unix", "AIX", "Any"},          {"SUN SOLARIS", "10", 23, "Unix", "Solaris", "Any"},
      {"HP-UX", "11", 0, "Any", "Any", "Any"},           {"", "", 0, "Any", "Any", "Any"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + " / " + c.level);
    App::OperatingSystem os;
    CForeignHandlerTSM::PopulateOsInfo(&os, c.platform, c.level);
    EXPECT_EQ(GetInt(&os, kOsType), c.type);
    EXPECT_EQ(GetString(&os, kOsFamily), c.family);
    EXPECT_EQ(GetString(&os, kOsFlavour), c.flavour);
    EXPECT_EQ(GetString(&os, kOsVersion), c.version);
    const CNMessageBase* detail = clienttest::Sub(&os, kOsDetail);
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(GetString(detail, kOsDetailPlatform), c.platform);  // as reported, case kept
    EXPECT_EQ(GetString(detail, kOsDetailLevel), c.level);
  }
}

TEST(OsMap, ServerTestsIgnoreCaseOnly) {
  struct Case {
    const char *server, *node;
    bool match;
  } nodes[] = {{"TsmSrv", "TSMSRV", true},
               {"TsmSrv", "tsmsrv", true},
               {"TsmSrv", "tsmsrv2", false},
               {"TsmSrv", "", false},
               {"", "", true},
               {"", "NODE1", false}};
  for (const Case& c : nodes) {
    SCOPED_TRACE(std::string(c.server) + " / " + c.node);
    clienttest::ScopedServerName server(c.server);
    EXPECT_EQ(TSMClientInfo().is_MasterServer(c.node), c.match);
  }
  const std::string host = GetHostName();
  ASSERT_FALSE(host.empty());
  std::string upper = host;
  for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  EXPECT_TRUE(is_MasterServer(host));
  EXPECT_TRUE(is_MasterServer(upper));
  EXPECT_FALSE(is_MasterServer(host + "x"));
  EXPECT_FALSE(is_MasterServer(""));
}

}  // namespace
