// tsm-discover: argument errors and exit statuses, the password helper,
// replay, and the checked-in replay set against a fresh gather.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <future>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "host/ZYPassword.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testsupport;

const char kSamplePassword[] = "Orbit7-Demo";

// Runs tsm-discover with `line` split at spaces (no path holds one).
ProgramResult Discover(const std::string& line, const std::string& input = "") {
  return RunProgram(Words(BinDir() + "/tsm-discover " + line), "", input);
}

std::string SampleReplay() { return SourceDir() + "/samples/replay"; }

TEST(TsmDiscoverTest, BadInputIsOneLineAndStatusTwo) {
  TempDir tmp;
  WriteFile(tmp.file("pw"), "secret\n");
  WriteFile(tmp.file("notadir"), "x");
  // In the rows @ stands for the test's directory, ^ for the built programs.
  const std::pair<const char*, const char*> cases[] = {
      {"frobnicate", "unknown command"},
      {"run --bogus", "unknown option"},
      {"run --login", "needs a value"},
      {"run --login a --login b", "given twice"},
      {"run --dsmadmc-dir ^ --out @o", "no --login"},
      {"run --dsmadmc-dir ^ --login A --out @o", "no password"},
      {"run --dsmadmc-dir ^ --login A --password-file @none --out @o", "password file"},
      {"run --dsmadmc-dir ^ --login A --password-file @ --out @o", "not a regular file"},
      {"run --dsmadmc-dir ^ --login A --password-file @pw", "no --out"},
      {"run --dsmadmc-dir @nodir --login A --password-file @pw --out @o", "does not exist"},
      {"run --dsmadmc-dir @ --login A --password-file @pw --out @o", "no executable dsmadmc"},
      {"run --dsmadmc-dir ^ --login A --password-file @pw --out @notadir/o", "not writable"},
      {"run --replay @nodir --login A --password-file @pw --out @o", "replay directory"},
      {"run --dsmadmc-dir ^ --login A --password-file @pw --out @o --key-file @nokey", "key file"},
      {"run --dsmadmc-dir ^ --login A --password-file @pw --out @o --key-file @pw", "malformed"},
      {"run --dsmadmc-dir ^ --login A --password-file @pw --out @o --plugin @none.so", "plug-in"},
      {"run --dsmadmc-dir ^ --login A --password-file @pw --out @o --plugin @pw", "cannot load the plug-in"},
      {"run --dsmadmc-dir ^ --login A --password-file @pw --out @o --log @notadir/x.log", "log file"},
      {"run --only config,nothing --login A", "unknown operation"},
      {"run --log-level 9 --login A", "--log-level"},
      {"run --timeout soon --login A", "--timeout"},
      {"gather --dsmadmc-dir ^ --login A --out @g", "no password"},
      {"gather --dsmadmc-dir ^ --login A --password-file @pw --out @g --parallel 0", "--parallel"},
      {"encrypt-password", "no --key-file"},
      {"demo extra", "unexpected argument"},
      {"verify --replies @", "--replay and --replies are required"},
      {"verify --replay @ --replies @ --from 2026-02-30", "--from must be a date"},
      {"verify --replay @ --replies @ --days 0", "--days"},
      {"verify --replay @ --replies @", "no reply files"},
  };
  ScopedEnv noEnvPassword("TSM_PASSWORD", nullptr);
  for (const auto& [line, expect] : cases) {
    SCOPED_TRACE(line);
    std::string args = line;
    for (size_t at; (at = args.find_first_of("@^")) != std::string::npos;) {
      args.replace(at, 1, args[at] == '@' ? tmp.path() + "/" : BinDir());
    }
    ProgramResult r = Discover(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(expect), std::string::npos) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_EQ(r.out, "");
  }
  // Nothing ran: the runs that failed on their input left no output directory behind.
  EXPECT_FALSE(FileExists(tmp.file("g")));
  EXPECT_FALSE(FileExists(tmp.file("o")));
  for (const char* command : {"", "run ", "demo ", "gather ", "verify ", "encrypt-password "}) {
    SCOPED_TRACE(command);
    ProgramResult r = Discover(std::string(command) + "--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(std::string("tsm-discover ") + command), std::string::npos);
  }
  EXPECT_EQ(Discover("").status, 2);  // no command: usage
}

TEST(TsmDiscoverTest, EncryptedPasswordDecryptsWithTheSameKey) {
  TempDir tmp;
  ProgramResult r = Discover("encrypt-password --key-file " + tmp.file("key"), "pass phrase 9\n");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string encrypted = Lines(r.out).at(0);
  EXPECT_EQ(encrypted.find("pass phrase"), std::string::npos);
  ASSERT_TRUE(ZYPassword::SetKeyFile(tmp.file("key")));
  ZYPassword password;
  unsigned long length = 0;
  ASSERT_EQ(password.decrypt(encrypted.c_str(), nullptr, &length), 1);
  std::string plain(length, '\0');
  ASSERT_EQ(password.decrypt(encrypted.c_str(), &plain[0], &length), 1);
  EXPECT_EQ(plain, "pass phrase 9");
  EXPECT_EQ(Discover("encrypt-password --key-file " + tmp.file("key"), "\n").status, 2);
}

// Runs against the simulator serving the sample site, with its password.
class DiscoverRunTest : public ::testing::Test {
 protected:
  ProgramResult Live(const std::string& command, const std::string& more) {
    return Discover(command + " --dsmadmc-dir " + BinDir() + " --login ADMIN --out " + tmp_.file("out") +
                    " " + more);
  }

  TempDir tmp_;
  ScopedEnv site_{"DSMADMC_SIM_SITE", (SourceDir() + "/samples/site").c_str()};
  ScopedEnv password_{"TSM_PASSWORD", kSamplePassword};
};

// The password from the environment reaches no child's environment.
TEST_F(DiscoverRunTest, ChildrenDoNotInheritThePassword) {
  WriteFile(tmp_.file("dsmadmc"), "#!/bin/sh\nenv > \"" + tmp_.file("env.txt") + "\"\n");
  ASSERT_EQ(0, ::chmod(tmp_.file("dsmadmc").c_str(), 0755));
  ProgramResult r = Discover("run --dsmadmc-dir " + tmp_.path() + " --login ADMIN --out " + tmp_.file("out") +
                             " --only config,clients");
  ASSERT_TRUE(FileExists(tmp_.file("env.txt"))) << r.out << r.err;
  EXPECT_EQ(ReadFile(tmp_.file("env.txt")).find(kSamplePassword), std::string::npos);
}

// A refused login or a dsmadmc that --timeout ends fails the operation:
// status 1. Failed per-node queries leave every operation true but are
// counted and warned about. A deadline ends the job with a clear message.
TEST_F(DiscoverRunTest, FailuresAreNamedTheTimeOutAndTheDeadlineHold) {
  const struct {
    const char *name, *value, *match, *args;
    int status;
    const char* out;
  } cases[] = {
      {"TSM_PASSWORD", "not-the-password", "", "--only config,clients", 1, "DiscoverClients    false"},
      {"DSMADMC_SIM_HANG", "30", "query node", "--only config,clients --timeout 1", 1,
       "DiscoverClients    false"},
      {"DSMADMC_SIM_EXIT", "2", "Nodes=", "--only config,clients --log-level 1", 0,
       "Warning: 9 of 9 per-item queries failed (node schedule)"},
      {"DSMADMC_SIM_HANG", "30", "query node", "--deadline 2", 1,
       "Deadline of 2 seconds reached: DiscoverSchedule and the operations after it were not run"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    ScopedEnv fault(c.name, c.value), match("DSMADMC_SIM_MATCH", c.match);
    auto start = std::chrono::steady_clock::now();
    ProgramResult r = Live("run", std::string(c.args) + " --overwrite");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    if (c.status != 0) continue;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("node schedule 9 \\(9\\)"))) << r.out;
    EXPECT_NE(ReadFile(tmp_.file("out/tsm-discover.log"))
                  .find("ERROR [CForeignCmdExecBase::FetchData] Command [node schedule] failed: status [2]"),
              std::string::npos);
  }
}

// Two jobs sharing one dsmadmc folder each hand over what a job alone
// does: their runs and parses take turns on the fixed output file names.
TEST_F(DiscoverRunTest, JobsSharingOneFolderDoNotMix) {
  WriteFile(tmp_.file("dsmadmc"), ReadFile(BinDir() + "/dsmadmc"));
  ASSERT_EQ(0, ::chmod(tmp_.file("dsmadmc").c_str(), 0755));
  auto job = [this](const std::string& out) {
    return Discover("run --dsmadmc-dir " + tmp_.path() + " --login ADMIN --only config,clients --out " + out);
  };
  ASSERT_EQ(job(tmp_.file("alone")).status, 0);
  ScopedEnv hang("DSMADMC_SIM_HANG", "1"), match("DSMADMC_SIM_MATCH", "Nodes=WEB01");
  auto first = std::async(std::launch::async, job, tmp_.file("a"));
  auto second = std::async(std::launch::async, job, tmp_.file("b"));
  EXPECT_EQ(first.get().status, 0);
  EXPECT_EQ(second.get().status, 0);
  const std::string list = "/000003-App.ClientsList.xml";
  const std::string alone = ReadFile(tmp_.file("alone") + list);
  EXPECT_EQ(ReadFile(tmp_.file("a") + list), alone);
  EXPECT_EQ(ReadFile(tmp_.file("b") + list), alone);
}

TEST_F(DiscoverRunTest, ReplayRunsNoDsmadmc) {
  ScopedEnv log("DSMADMC_SIM_LOG", tmp_.file("sim.log").c_str());
  // The replay directory is given without its trailing slash on purpose.
  const std::string replay = "run --replay " + SampleReplay() + " --login ADMIN --out " + tmp_.file("out");
  ProgramResult r = Discover(replay);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_FALSE(FileExists(tmp_.file("sim.log")));
  EXPECT_TRUE(FileExists(tmp_.file("out/tsm-discover.log")));
  // A second run into the same directory is refused, so two runs never
  // mix; --overwrite removes the earlier hand-over files and nothing else;
  // --only clients runs DiscoverClients alone (nothing sent without config).
  WriteFile(tmp_.file("out/notes.txt"), "mine");
  ProgramResult refused = Discover(replay + " --only clients");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--overwrite"), std::string::npos) << refused.err;
  ProgramResult again = Discover(replay + " --only clients --overwrite");
  EXPECT_EQ(again.status, 0) << again.err;
  const std::regex handedOver("DiscoverClients +true .* clients [1-9]");
  EXPECT_TRUE(std::regex_search(r.out, handedOver)) << r.out;
  EXPECT_TRUE(std::regex_search(again.out, handedOver)) << again.out;
  EXPECT_EQ(ListDir(tmp_.file("out")),
            (std::vector<std::string>{"000001-App.ClientsList.xml", "notes.txt", "tsm-discover.log"}));
}

TEST_F(DiscoverRunTest, GatherFailures) {
  for (const auto& [name, value, error] : {std::tuple{"TSM_PASSWORD", "wrong", "refused the login"},
                                           std::tuple{"DSMADMC_SIM_EXIT", "4", "ixr_drives_"}}) {
    ScopedEnv fault(name, value), match("DSMADMC_SIM_MATCH", "FROM DRIVES");
    ProgramResult r = Live("gather", "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(error), std::string::npos) << r.err;
  }
  // A library without drives answers 11: its replay file is empty, not a message line.
  ScopedEnv none("DSMADMC_SIM_EXIT", "11"), match("DSMADMC_SIM_MATCH", "LIBRARY_NAME = 'RSMLIB'");
  ASSERT_EQ(Live("gather", "").status, 0);
  EXPECT_EQ(ReadFile(tmp_.file("out/ixr_drives_RSMLIB.txt")), "");
  EXPECT_NE(ReadFile(tmp_.file("out/ixr_drives_LTOLIB1.txt")), "");
  EXPECT_EQ(ReadFile(tmp_.file("out/ixr_server.txt")), "VEGA\n");
}

// The checked-in replay set is what gather writes for the sample site
// today, one session at a time or several; regenerate it with the command
// in the README when this fails after an intended change.
TEST_F(DiscoverRunTest, CheckedInReplaySetMatchesAFreshGather) {
  WriteFile(tmp_.file("pw"), std::string(kSamplePassword) + "\n");
  ScopedEnv noEnvPassword("TSM_PASSWORD", nullptr);
  for (const std::string parallel : {"1", "4"}) {
    SCOPED_TRACE("--parallel " + parallel);
    const std::string dir = tmp_.file("replay" + parallel);
    ProgramResult r = Discover("gather --dsmadmc-dir " + BinDir() + " --login admin --password-file " +
                               tmp_.file("pw") + " --out " + dir + " --parallel " + parallel);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // no progress line when standard error is no terminal
    std::vector<std::string> names = ListDir(dir);
    EXPECT_EQ(names, ListDir(SampleReplay()));
    // The manifest differs in its gather time alone.
    const std::regex gathered("\ngathered [^\n]*");
    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      EXPECT_EQ(std::regex_replace(ReadFile(dir + "/" + name), gathered, ""),
                std::regex_replace(ReadFile(SampleReplay() + "/" + name), gathered, ""));
      EXPECT_EQ(ReadFile(dir + "/" + name).find(kSamplePassword), std::string::npos);
    }
  }
}

}  // namespace
