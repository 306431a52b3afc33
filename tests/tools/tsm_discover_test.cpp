// tsm-discover: argument errors and exit statuses, the password helper,
// replay, and the checked-in replay set against a fresh gather.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "host/ZYPassword.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/RunProgram.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;
using toolstest::ProgramResult;

const char kSamplePassword[] = "Orbit7-Demo";

ProgramResult Discover(std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), testsupport::BinDir() + "/tsm-discover");
  return toolstest::RunProgram(args, "", input);
}

std::string SampleSite() { return testsupport::SourceDir() + "/samples/site"; }
std::string SampleReplay() { return testsupport::SourceDir() + "/samples/replay"; }

TEST(TsmDiscoverTest, BadInputIsOneLineAndStatusTwo) {
  TempDir tmp;
  WriteFile(tmp.file("pw"), "secret\n");
  WriteFile(tmp.file("notadir"), "x");
  const std::string bin = testsupport::BinDir();
  const std::string pw = tmp.file("pw");
  struct Case {
    std::vector<std::string> args;
    const char* expect;
  } cases[] = {
      {{"frobnicate"}, "unknown command"},
      {{"run", "--bogus"}, "unknown option"},
      {{"run", "--login"}, "needs a value"},
      {{"run", "--login", "a", "--login", "b"}, "given twice"},
      {{"run", "--dsmadmc-dir", bin, "--out", tmp.file("o")}, "no --login"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--out", tmp.file("o")}, "no password"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--password-file", tmp.file("none"), "--out",
        tmp.file("o")},
       "cannot be read"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--password-file", pw}, "no --out"},
      {{"run", "--dsmadmc-dir", tmp.file("nodir"), "--login", "A", "--password-file", pw, "--out",
        tmp.file("o")},
       "does not exist"},
      {{"run", "--dsmadmc-dir", tmp.path(), "--login", "A", "--password-file", pw, "--out", tmp.file("o")},
       "no executable dsmadmc"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--password-file", pw, "--out",
        tmp.file("notadir") + "/o"},
       "not writable"},
      {{"run", "--replay", tmp.file("nodir"), "--login", "A", "--password-file", pw, "--out", tmp.file("o")},
       "replay directory"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--password-file", pw, "--out", tmp.file("o"),
        "--key-file", tmp.file("nokey")},
       "key file"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--password-file", pw, "--out", tmp.file("o"),
        "--plugin", tmp.file("none.so")},
       "plug-in"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--password-file", pw, "--out", tmp.file("o"),
        "--plugin", tmp.file("pw")},
       "cannot load the plug-in"},
      {{"run", "--dsmadmc-dir", bin, "--login", "A", "--password-file", pw, "--out", tmp.file("o2"), "--log",
        tmp.file("notadir") + "/x.log"},
       "log file"},
      {{"run", "--only", "config,nothing", "--login", "A"}, "unknown operation"},
      {{"run", "--log-level", "9", "--login", "A"}, "--log-level"},
      {{"run", "--timeout", "soon", "--login", "A"}, "--timeout"},
      {{"gather", "--dsmadmc-dir", bin, "--login", "A", "--out", tmp.file("g")}, "no password"},
      {{"encrypt-password"}, "no --key-file"},
      {{"demo", "extra"}, "unexpected argument"},
  };
  ScopedEnv noEnvPassword("TSM_PASSWORD", nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    ProgramResult r = Discover(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.expect), std::string::npos) << r.err;
    EXPECT_EQ(toolstest::Lines(r.err).size(), 1u) << r.err;
    EXPECT_EQ(r.out, "");
  }
  // Nothing ran: the runs that failed on their input left no output
  // directory behind.
  EXPECT_FALSE(testsupport::FileExists(tmp.file("g")));
  EXPECT_FALSE(testsupport::FileExists(tmp.file("o")));
}

TEST(TsmDiscoverTest, HelpOnEverySubcommand) {
  for (const char* command : {"run", "demo", "gather", "encrypt-password"}) {
    SCOPED_TRACE(command);
    ProgramResult r = Discover({command, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(std::string("tsm-discover ") + command), std::string::npos);
  }
  EXPECT_EQ(Discover({"--help"}).status, 0);
  EXPECT_EQ(Discover({}).status, 2);
}

TEST(TsmDiscoverTest, EncryptedPasswordDecryptsWithTheSameKey) {
  TempDir tmp;
  ProgramResult r = Discover({"encrypt-password", "--key-file", tmp.file("key")}, "pass phrase 9\n");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string encrypted = toolstest::Lines(r.out).at(0);
  EXPECT_EQ(encrypted.find("pass phrase"), std::string::npos);
  ASSERT_TRUE(ZYPassword::SetKeyFile(tmp.file("key")));
  ZYPassword password;
  unsigned long length = 0;
  ASSERT_EQ(password.decrypt(encrypted.c_str(), nullptr, &length), 1);
  std::string plain(length, '\0');
  ASSERT_EQ(password.decrypt(encrypted.c_str(), &plain[0], &length), 1);
  EXPECT_EQ(plain, "pass phrase 9");
  EXPECT_EQ(Discover({"encrypt-password", "--key-file", tmp.file("key")}, "\n").status, 2);
}

TEST(TsmDiscoverTest, RefusedLoginMakesTheRunFail) {
  TempDir tmp;
  ScopedEnv site("DSMADMC_SIM_SITE", SampleSite().c_str());
  ScopedEnv password("TSM_PASSWORD", "not-the-password");
  ProgramResult r = Discover({"run", "--dsmadmc-dir", testsupport::BinDir(), "--login", "ADMIN", "--out",
                              tmp.file("out"), "--only", "config,clients"});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("DiscoverClients    false"), std::string::npos) << r.out;
}

TEST(TsmDiscoverTest, ReplayRunsNoDsmadmc) {
  TempDir tmp;
  ScopedEnv log("DSMADMC_SIM_LOG", tmp.file("sim.log").c_str());
  ScopedEnv password("TSM_PASSWORD", kSamplePassword);
  // The replay directory is given without its trailing slash on purpose.
  ProgramResult r =
      Discover({"run", "--replay", SampleReplay(), "--login", "ADMIN", "--out", tmp.file("out")});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("DiscoverClients    true"), std::string::npos) << r.out;
  EXPECT_FALSE(testsupport::FileExists(tmp.file("sim.log")));
  EXPECT_TRUE(testsupport::FileExists(tmp.file("out/tsm-discover.log")));
  // A second run into the same directory rewrites the same file names and
  // still counts what it handed over.
  ProgramResult again =
      Discover({"run", "--replay", SampleReplay(), "--login", "ADMIN", "--out", tmp.file("out")});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("already holds"), std::string::npos) << again.out;
  for (const ProgramResult* run : {&r, &again}) {
    size_t line = run->out.find("DiscoverClients ");
    ASSERT_NE(line, std::string::npos);
    EXPECT_NE(run->out.substr(line, run->out.find('\n', line) - line).find("clients "), std::string::npos)
        << run->out;
  }
}

TEST(TsmDiscoverTest, OnlyRunsTheNamedOperations) {
  TempDir tmp;
  ScopedEnv site("DSMADMC_SIM_SITE", SampleSite().c_str());
  ScopedEnv password("TSM_PASSWORD", kSamplePassword);
  ProgramResult r = Discover({"run", "--dsmadmc-dir", testsupport::BinDir(), "--login", "ADMIN", "--out",
                              tmp.file("out"), "--only", "clients"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("DiscoverClients    true"), std::string::npos) << r.out;
  for (const char* skipped : {"DiscoverConfig ", "DiscoverSchedule ", "DiscoverMedia ", "DiscoverJobs "}) {
    EXPECT_EQ(r.out.find(skipped), std::string::npos) << skipped;
  }
  // Without DiscoverConfig nothing is sent to the host.
  for (const std::string& name : testsupport::ListDir(tmp.file("out"))) {
    EXPECT_EQ(name.find("-sent-"), std::string::npos) << name;
  }
}

TEST(TsmDiscoverTest, TimeoutEndsAHangingDsmadmc) {
  TempDir tmp;
  ScopedEnv site("DSMADMC_SIM_SITE", SampleSite().c_str());
  ScopedEnv password("TSM_PASSWORD", kSamplePassword);
  ScopedEnv hang("DSMADMC_SIM_HANG", "30");
  ScopedEnv match("DSMADMC_SIM_MATCH", "query node");
  auto start = std::chrono::steady_clock::now();
  ProgramResult r = Discover({"run", "--dsmadmc-dir", testsupport::BinDir(), "--login", "ADMIN", "--out",
                              tmp.file("out"), "--only", "config,clients", "--timeout", "1"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("DiscoverClients    false"), std::string::npos) << r.out;
}

TEST(TsmDiscoverTest, GatherFailures) {
  TempDir tmp;
  ScopedEnv site("DSMADMC_SIM_SITE", SampleSite().c_str());
  const std::vector<std::string> gather = {"gather", "--dsmadmc-dir", testsupport::BinDir(), "--login",
                                           "ADMIN",  "--out",         tmp.file("g")};
  {
    ScopedEnv password("TSM_PASSWORD", "wrong");
    ProgramResult r = Discover(gather);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("refused the login"), std::string::npos) << r.err;
  }
  ScopedEnv password("TSM_PASSWORD", kSamplePassword);
  {
    ScopedEnv fail("DSMADMC_SIM_EXIT", "4");
    ScopedEnv match("DSMADMC_SIM_MATCH", "FROM DRIVES");
    ProgramResult r = Discover(gather);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ixr_drives_"), std::string::npos) << r.err;
  }
  // A library without drives answers 11: its replay file is empty, not a
  // message line.
  ScopedEnv none("DSMADMC_SIM_EXIT", "11");
  ScopedEnv match("DSMADMC_SIM_MATCH", "LIBRARY_NAME = 'RSMLIB'");
  ASSERT_EQ(Discover(gather).status, 0);
  EXPECT_EQ(ReadFile(tmp.file("g/ixr_drives_RSMLIB.txt")), "");
  EXPECT_NE(ReadFile(tmp.file("g/ixr_drives_LTOLIB1.txt")), "");
  EXPECT_EQ(ReadFile(tmp.file("g/ixr_server.txt")), "VEGA\n");
}

// The checked-in replay set is what gather writes for the sample site
// today; regenerate it with the command in docs/tools.md when this fails
// after an intended change.
TEST(TsmDiscoverTest, CheckedInReplaySetMatchesAFreshGather) {
  TempDir tmp;
  ScopedEnv site("DSMADMC_SIM_SITE", SampleSite().c_str());
  WriteFile(tmp.file("pw"), std::string(kSamplePassword) + "\n");
  ProgramResult r = Discover({"gather", "--dsmadmc-dir", testsupport::BinDir(), "--login", "admin",
                              "--password-file", tmp.file("pw"), "--out", tmp.file("replay")});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> names = testsupport::ListDir(tmp.file("replay"));
  EXPECT_EQ(names, testsupport::ListDir(SampleReplay()));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadFile(tmp.file("replay/" + name)), ReadFile(SampleReplay() + "/" + name));
    EXPECT_EQ(ReadFile(tmp.file("replay/" + name)).find(kSamplePassword), std::string::npos);
  }
}

}  // namespace
