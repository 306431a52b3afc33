// The TSM server name fetcher.
#include <gtest/gtest.h>

#include <string>

#include "clients/CForeignHandlerTSMClient.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using clienttest::ScopedExistingFiles;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(MasterServer, LiveNameIsTheLocalHostName) {
  ScopedExistingFiles live(false, "");
  std::string name = "stale";
  CTSMMasterServer fetcher;
  ASSERT_TRUE(fetcher.FetchData(&name));
  EXPECT_EQ(name, GetHostName());
}

TEST(MasterServer, ReplayTakesTheTrimmedFirstLine) {
  struct Case {
    const char* what;
    const char* content;  // null: no file
    bool hostName;        // expect the host name instead of `name`
    const char* name;
  } cases[] = {
      {"blanks and CRLF trimmed", "  srv01\r\nsecond\n", false, "srv01"},
      {"no terminator", "srv02", false, "srv02"},
      {"empty file", "", true, nullptr},
      {"missing file", nullptr, true, nullptr},
      {"blank first line", "   \nsrv03\n", true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir gathered;
    if (c.content != nullptr) WriteFile(gathered.file("ixr_server.txt"), c.content);
    ScopedExistingFiles replay(true, gathered.path() + "/");
    std::string name;
    CTSMMasterServer fetcher;
    ASSERT_TRUE(fetcher.FetchData(&name));
    EXPECT_EQ(name, c.hostName ? GetHostName() : std::string(c.name));
  }
}

}  // namespace
