// tsm-discover against the simulator when jobs meet, signals arrive, sets
// are incomplete and names in its folders are links: one job per --out,
// no stale or linked node list, no dsmadmc left behind, complete replay
// sets only, no link followed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testsupport;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Processes whose command line starts with `program` and holds `part`.
std::vector<int> Running(const std::string& program, const std::string& part) {
  std::vector<int> pids;
  for (const std::string& pid : ListDir("/proc")) {
    const std::string cmdline = std::isdigit(pid[0]) ? ReadFile("/proc/" + pid + "/cmdline") : "";
    if (cmdline.rfind(program, 0) == 0 && Has(cmdline, part)) pids.push_back(std::stoi(pid));
  }
  return pids;
}

class ReliabilityTest : public ::testing::Test {
 protected:
  ReliabilityTest() { InstallSimulator(tmp_.path()); }

  // tsm-discover with `line` split at spaces; @ stands for the test's folder.
  ProgramResult Discover(std::string line) {
    for (size_t at; (at = line.find('@')) != std::string::npos;) line.replace(at, 1, tmp_.path() + "/");
    return RunProgram(Words(BinDir() + "/tsm-discover " + line));
  }
  std::string Log() { return ReadFile(tmp_.file("out/tsm-discover.log")); }

  TempDir tmp_;
  ScopedEnv site_{"DSMADMC_SIM_SITE", (SourceDir() + "/samples/site").c_str()};
  ScopedEnv password_{"TSM_PASSWORD", "Orbit7-Demo"};
  ScopedEnv simLog_{"DSMADMC_SIM_LOG", tmp_.file("sim.log").c_str()};
};

const char kLive[] = "run --dsmadmc-dir @ --login ADMIN --out @out ";

// While another job holds --out, every command that writes there is
// refused at once with one line naming the folder; the same command runs
// once the folder is free.
TEST_F(ReliabilityTest, OneJobPerOutputFolder) {
  ASSERT_EQ(Discover(std::string(kLive) + "--only config,clients").status, 0);
  const std::string commands[] = {
      "run --dsmadmc-dir @ --login ADMIN --out @out --overwrite --only config",
      "run --replay " + SourceDir() + "/samples/replay --login ADMIN --out @out --overwrite",
      "demo --out @out --work @work",
      "gather --dsmadmc-dir @ --login ADMIN --out @out",
      "report --replies @out",
  };
  const int fd = ::open(tmp_.file("out").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(0, ::flock(fd, LOCK_EX));
  for (const std::string& line : commands) {
    SCOPED_TRACE(line);
    ProgramResult r = Discover(line);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_TRUE(Has(r.err, "output directory " + tmp_.file("out") + " is in use by another tsm-discover job"))
        << r.err;
  }
  ::close(fd);
  EXPECT_EQ(Discover(commands[0]).status, 0);
}

// dsmadmc exiting 0 without its node list fails the client discovery with
// an error line, never handing over an earlier run's nodes (links under
// the name: cmdexec_test).
TEST_F(ReliabilityTest, NodeListOfAnEarlierRunIsNeverRead) {
  WriteFile(tmp_.file("ixr_node.txt"), ReadFile(SourceDir() + "/samples/replay/ixr_node.txt"));
  ScopedEnv noFile("DSMADMC_SIM_NOFILE", "1"), match("DSMADMC_SIM_MATCH", "query node");
  ProgramResult r = Discover(std::string(kLive) + "--only config,clients");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.out, "DiscoverClients    false")) << r.out;
  EXPECT_TRUE(Has(Log(), "Command [node] failed: status [0], no output file written")) << Log();
  EXPECT_FALSE(FileExists(tmp_.file("ixr_node.txt")));
}

// SIGINT, SIGTERM and SIGHUP stop the running dsmadmc (its own process
// group) and end tsm-discover with 128 + the signal and one line; the
// folder is free again and an interrupted gather leaves no folder behind.
TEST_F(ReliabilityTest, SignalsStopTheRunningDsmadmc) {
  const struct {
    int sig;
    const char* line;
  } cases[] = {{SIGTERM, "run --dsmadmc-dir @ --login ADMIN --out @out --overwrite"},
               {SIGINT, "run --dsmadmc-dir @ --login ADMIN --out @out --overwrite"},
               {SIGHUP, "gather --dsmadmc-dir @ --login ADMIN --out @out/set"}};
  ScopedEnv hang("DSMADMC_SIM_HANG", "60"), match("DSMADMC_SIM_MATCH", "format=detailed");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ::unlink(tmp_.file("sim.log").c_str());
    auto job = std::async(std::launch::async, [&] { return Discover(c.line); });
    const auto start = std::chrono::steady_clock::now();
    while (!Has(ReadFile(tmp_.file("sim.log")), "format=detailed") &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(Running(tmp_.file("dsmadmc"), "").size(), 1u);
    for (int pid : Running(BinDir() + "/tsm-discover", tmp_.path())) ::kill(pid, c.sig);
    ProgramResult r = job.get();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(r.status, 128 + c.sig) << r.out << r.err;
    EXPECT_TRUE(Has(r.err, "interrupted by SIG")) << r.err;
    EXPECT_EQ(Running(tmp_.file("dsmadmc"), "").size(), 0u);
    for (const std::string& name : ListDir(tmp_.file("out")))
      EXPECT_EQ(name.find(".gather-"), std::string::npos);
  }
  ScopedEnv noHang("DSMADMC_SIM_HANG", nullptr);
  EXPECT_EQ(Discover(std::string(kLive) + "--only config,clients --overwrite").status, 0);
}

// A failed gather leaves the previous set as it was and says where its
// partial set is; run --replay refuses a set that its manifest marks
// incomplete or that no longer matches it, and runs it with
// --accept-incomplete naming what is missing. A set without a manifest
// runs with a warning.
TEST_F(ReliabilityTest, ReplaySetsAreCompleteOrRefused) {
  const std::string gather = "gather --dsmadmc-dir @ --login ADMIN --out @set";
  ASSERT_EQ(Discover(gather).status, 0);
  const std::string manifest = ReadFile(tmp_.file("set/replay.manifest"));
  EXPECT_FALSE(FileExists(tmp_.file("set/ixr_db2_WEB01.txt")));  // no operation reads it
  ProgramResult failed;
  {
    ScopedEnv exit("DSMADMC_SIM_EXIT", "4"), match("DSMADMC_SIM_MATCH", "'WEB01'");
    failed = Discover(gather);
  }
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(ReadFile(tmp_.file("set/replay.manifest")), manifest);
  std::smatch named;
  ASSERT_TRUE(std::regex_search(failed.err, named, std::regex("the partial one is in (\\S+)"))) << failed.err;
  const std::string partial = named[1];
  EXPECT_TRUE(Has(ReadFile(partial + "/replay.manifest"), "status incomplete\n"));

  const struct {
    std::string set, options;
    int status;
    const char* says;
  } cases[] = {
      {partial, "", 2, "marked incomplete by gather"},
      {partial, "--accept-incomplete", 0, "ixr_jobs_WEB01.txt missing (gather failed)"},
      {tmp_.file("set"), "", 0, "DiscoverJobs       true"},
      {tmp_.file("set"), "--tamper", 2, "ixr_node.txt differs from the manifest"},
      {tmp_.file("set"), "--no-manifest", 0, "has no replay.manifest"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set + " " + c.options);
    std::string options = c.options;
    if (options == "--tamper") WriteFile(c.set + "/ixr_node.txt", ReadFile(c.set + "/ixr_node.txt") + "\n");
    if (options == "--no-manifest") ::unlink((c.set + "/replay.manifest").c_str());
    if (options != "--accept-incomplete") options.clear();
    ProgramResult r = Discover("run --replay " + c.set + " --login ADMIN --overwrite --out @out " + options);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_TRUE(Has(r.out + r.err, c.says)) << r.out << r.err;
  }
}

// The report's page (and a temporary of the old fixed name) is never
// written through a link (the log and the lock file: services_test).
// --overwrite removes an interrupted hand-over's temporary files and
// nothing else.
TEST_F(ReliabilityTest, NoLinkIsFollowed) {
  WriteFile(tmp_.file("victim"), "keep\n");
  const auto plant = [&](const std::string& name) {
    ::unlink(tmp_.file(name).c_str());
    ASSERT_EQ(0, ::symlink(tmp_.file("victim").c_str(), tmp_.file(name).c_str()));
  };
  ASSERT_EQ(Discover(std::string(kLive) + "--only config").status, 0);
  plant("out/report.html.tmp");
  EXPECT_EQ(Discover("report --replies @out").status, 0);
  plant("out/report.html");
  ProgramResult r = Discover("report --replies @out");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.err, "report.html is a link or not a regular file")) << r.err;
  EXPECT_EQ(ReadFile(tmp_.file("victim")), "keep\n");

  WriteFile(tmp_.file("out/.000009-App.ClientsList.xml.Ab12Cd"), "<partial");
  WriteFile(tmp_.file("out/.notes.xml.bak"), "mine");
  EXPECT_EQ(Discover(std::string(kLive) + "--only config --overwrite").status, 0);
  EXPECT_FALSE(FileExists(tmp_.file("out/.000009-App.ClientsList.xml.Ab12Cd")));
  EXPECT_TRUE(FileExists(tmp_.file("out/.notes.xml.bak")));
}

// A command stopped by --deadline says so in its own words; libxml2's
// messages about a broken reply (quoting its bytes) stay off standard error.
TEST_F(ReliabilityTest, DeadlineWordingAndQuietXml) {
  {
    ScopedEnv hang("DSMADMC_SIM_HANG", "30"), match("DSMADMC_SIM_MATCH", "query node");
    ProgramResult r = Discover(std::string(kLive) + "--deadline 2 --only config,clients");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(Log(), "Command stopped at the job deadline")) << Log();
  }
  WriteFile(tmp_.file("out/000099-App.ClientsList.xml"),
            "<?xml version=\"1.0\" encoding=\"EUC-JP\"?><message>SECRET\xff\xfe\xfd\x80</message>");
  ProgramResult r = Discover("report --replies @out --text");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

}  // namespace
