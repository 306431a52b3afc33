// Command conventions: names quoted into selects, safe file name parts,
// secrets that stay one argument.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "handler/CForeignHandlerTSMConfig.h"
#include "handler/TSMCommands.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace tsmcmd;

// The whole command lines reach the simulator in the end-to-end runs;
// here the two rules that keep a name from matching more than itself.
TEST(CommandsTest, NamesInSelectsMatchOnlyThemselves) {
  // LIKE wildcards in a name match literally; the escape character itself is escaped.
  EXPECT_EQ(JobsSelect("O'K_1%!"),
            kJobsSelectPrefix + std::string("O''K!_1!%!!' ESCAPE '!' ORDER BY START_TIME"));
  EXPECT_EQ(JobsSelect("N1"), kJobsSelectPrefix + std::string("N1' ORDER BY START_TIME"));
  TSMAdminInfo admin;
  EXPECT_NE(
      FormB(admin, "f", kDrivesSelectPrefix + QuoteSqlValue("L'1") + "'").find("LIBRARY_NAME = 'L''1'\""),
      std::string::npos);
}

TEST(CommandsTest, SafeFileNameParts) {
  const std::pair<std::string, bool> cases[] = {
      {"NODE1", true}, {"LIB 1", true}, {"..x", true},     {"", false},     {".", false},
      {"..", false},   {"a/b", false},  {"../etc", false}, {"/abs", false}, {std::string("a\0b", 3), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(c.second, IsSafeFileNamePart(c.first));
  }
}

// A password with blanks, quotes or backslashes reaches dsmadmc as one
// argument, byte for byte, and no piece of it reaches the log.
TEST(CommandsTest, SecretsWithBlanksAndQuotesStayOneArgument) {
  for (const std::string password : {"a b\"c'd", "x\ty", "p\\\\q", "'", "\"' '\"", "plain"}) {
    SCOPED_TRACE(password);
    testsupport::FakeDsmadmc fake;
    testsupport::LogCapture log(7);
    CTSMConfigFetcher fetcher;
    fetcher.SetLogin("ad min");
    fetcher.SetPassword(password);
    fetcher.FetchData(nullptr);
    ASSERT_EQ(1u, fake.runs().size());
    const std::vector<std::string>& argv = fake.runs()[0];
    EXPECT_EQ(1, std::count(argv.begin(), argv.end(), "-password=" + password));
    EXPECT_EQ(1, std::count(argv.begin(), argv.end(), "-id=ad min"));
    const std::string text = log.text();
    for (size_t i = 0; i + 3 <= password.size(); ++i) {
      EXPECT_EQ(std::string::npos, text.find(password.substr(i, 3))) << text;
    }
  }
}

}  // namespace
