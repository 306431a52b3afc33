// Operating-system and agent-type mapping and the two server tests.
#include <gtest/gtest.h>

#include "host/MessageFields.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"

namespace {

using namespace zyfields;

// The rows that decide: letter case, untrimmed names, version defaults,
// the unknown platform.
TEST(OsMap, OsAndAgentRows) {
  struct Case {
    const char *platform, *level, *os, *agent;
  } cases[] = {
      {"LINUX86", "", "25 Unix Linux Any", "29 Linux File System"},
      {"Linux86 ", "2.6", "0 Any Any Any", "130 Other External Agent"},         // trailing blank: not trimmed
      {"Linux x86-64", "5.14.0", "25 Unix Linux Any", "29 Linux File System"},  // current clients
      {"winnt", "6.00", "65 Windows Server 6.0", "33 Windows File System"},
      {"WinNT", "6.02", "21 Windows Server Any", "33 Windows File System"},
      {"WinNT", "", "21 Windows Server Any", "33 Windows File System"},
      {"OS/400", "", "0 Any Any Any", "130 Other External Agent"},
      {"", "", "0 Any Any Any", "130 Other External Agent"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + " / " + c.level);
    App::OperatingSystem os;
    CForeignHandlerTSM::PopulateOsInfo(&os, c.platform, c.level);
    const CNMessageBase* detail = clienttest::Sub(&os, App::OperatingSystem::osDetail);
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(std::to_string(GetInt(&os, App::OperatingSystem::osType)) + " " +
                  GetString(&os, App::OperatingSystem::osFamily) + " " +
                  GetString(&os, App::OperatingSystem::osFlavour) + " " +
                  GetString(&os, App::OperatingSystem::osVersion),
              c.os);
    // The platform and level as reported, case kept.
    EXPECT_EQ(GetString(detail, App::OsDetail::platform) + "/" + GetString(detail, App::OsDetail::osLevel),
              std::string(c.platform) + "/" + c.level);
    std::string name;
    EXPECT_EQ(std::to_string(CForeignHandlerTSM::getZYAppType(c.level, c.platform, name)) + " " + name,
              c.agent);
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
  std::string upper = host;
  for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  EXPECT_TRUE(is_MasterServer(host) && is_MasterServer(upper));
  EXPECT_FALSE(is_MasterServer(host + "x") || is_MasterServer(""));
}

}  // namespace
