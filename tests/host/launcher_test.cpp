#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "host/ProcessLauncher.h"
#include "tests/host/fixtures/TestScripts.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace {

using testscripts::WriteScript;
using testsupport::TempDir;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The named field of /proc/<pid>/status as printed by the child.
std::string StatusField(const std::string& status, const std::string& name) {
  size_t at = status.find(name + ":");
  if (at == std::string::npos) return "";
  size_t begin = status.find_first_not_of(" \t", at + name.size() + 1);
  return status.substr(begin, status.find('\n', begin) - begin);
}

// Parent state a child must not inherit, undone on destruction.
class InheritableState {
 public:
  InheritableState() {
    // No O_CLOEXEC: a careless spawn would pass it on. High, so that it
    // is not the descriptor the child opens first.
    int fd = ::open("/dev/null", O_RDONLY);
    fd_ = ::fcntl(fd, F_DUPFD, 57);
    ::close(fd);
    sigaction(SIGUSR1, nullptr, &oldUsr1_);
    signal(SIGUSR1, SIG_IGN);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR2);
    sigprocmask(SIG_BLOCK, &block, &oldMask_);
  }
  ~InheritableState() {
    sigprocmask(SIG_SETMASK, &oldMask_, nullptr);
    sigaction(SIGUSR1, &oldUsr1_, nullptr);
    ::close(fd_);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
  struct sigaction oldUsr1_;
  sigset_t oldMask_;
};

TEST(PosixProcessLauncherTest, CollectsOutputAndExitStatus) {
  TempDir dir;
  WriteScript(dir.file("p"), "echo to-out; echo to-err >&2; exit 3");
  LaunchResult r = PosixProcessLauncher().Run({dir.file("p")}, 10);
  ASSERT_TRUE(r.started) << r.error;
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(3, r.exitStatus);
  EXPECT_FALSE(r.timedOut);
  EXPECT_NE(std::string::npos, r.output.find("to-out"));
  EXPECT_NE(std::string::npos, r.output.find("to-err"));
}

TEST(PosixProcessLauncherTest, ChildStartsClean) {
  InheritableState parent;
  PosixProcessLauncher launcher;

  LaunchResult status = launcher.Run({"/bin/cat", "/proc/self/status"}, 10);
  ASSERT_TRUE(status.started) << status.error;
  // glibc keeps its two internal signals (32 and 33) ignored; no program
  // can use them.
  unsigned long long ignored = std::stoull(StatusField(status.output, "SigIgn"), nullptr, 16);
  EXPECT_EQ(0u, ignored & ~(3ull << 31)) << StatusField(status.output, "SigIgn");
  EXPECT_EQ("0000000000000000", StatusField(status.output, "SigBlk"));

  // Own process group: pgrp (field 5) equals pid (field 1).
  LaunchResult stat = launcher.Run({"/bin/cat", "/proc/self/stat"}, 10);
  std::string pid = stat.output.substr(0, stat.output.find(' '));
  std::string rest = stat.output.substr(stat.output.rfind(')') + 2);  // "state ppid pgrp ..."
  size_t pgrpAt = rest.find(' ', rest.find(' ') + 1) + 1;
  EXPECT_EQ(pid, rest.substr(pgrpAt, rest.find(' ', pgrpAt) - pgrpAt)) << stat.output;

  LaunchResult fds = launcher.Run({"/bin/ls", "/proc/self/fd"}, 10);
  EXPECT_EQ(std::string::npos, fds.output.find(std::to_string(parent.fd()) + "\n")) << fds.output;

  LaunchResult in = launcher.Run({"/bin/readlink", "/proc/self/fd/0"}, 10);
  EXPECT_EQ("/dev/null\n", in.output);
}

TEST(PosixProcessLauncherTest, BoundsOutputWithoutBlockingTheChild) {
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher().Run({"/usr/bin/head", "-c", "1000000", "/dev/zero"}, 10);
  ASSERT_TRUE(r.exited);
  EXPECT_EQ(0, r.exitStatus);
  EXPECT_EQ(PosixProcessLauncher::kMaxOutput, r.output.size());
  EXPECT_LT(SecondsSince(start), 5.0);
}

TEST(PosixProcessLauncherTest, ProgramsThatCannotStart) {
  TempDir dir;
  testsupport::WriteFile(dir.file("noexec"), "#!/bin/sh\nexit 0\n");  // no execute bit
  // Without a #! line only a shell would run it, and none is used.
  testsupport::WriteFile(dir.file("nointerp"), "touch ran\n");
  ::chmod(dir.file("nointerp").c_str(), 0755);
  testsupport::ScopedChdir cd(dir.path());
  for (const std::string& program : {dir.file("missing"), dir.file("noexec"), dir.file("nointerp"),
                                     dir.path(), std::string("no-such-program-x")}) {
    SCOPED_TRACE(program);
    LaunchResult r = PosixProcessLauncher().Run({program}, 10);
    EXPECT_FALSE(r.started);
    EXPECT_FALSE(r.error.empty());
  }
  EXPECT_FALSE(testsupport::FileExists(dir.file("ran")));
  EXPECT_FALSE(PosixProcessLauncher().Run({}, 10).started);
}

TEST(PosixProcessLauncherTest, ReportsTheKillingSignal) {
  TempDir dir;
  WriteScript(dir.file("p"), "kill -KILL $$");
  LaunchResult r = PosixProcessLauncher().Run({dir.file("p")}, 10);
  ASSERT_TRUE(r.started);
  EXPECT_FALSE(r.exited);
  EXPECT_EQ(SIGKILL, r.signal);
  EXPECT_FALSE(r.timedOut);
}

TEST(PosixProcessLauncherTest, TimeOutEndsTheWholeGroup) {
  TempDir dir;
  testscripts::PidKiller cleanup(dir.file("gc.pid"));
  WriteScript(dir.file("p"), "sleep 30 & echo $! > " + dir.file("gc.pid") + "\nsleep 30");
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher().Run({dir.file("p")}, 1);
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timedOut);
  EXPECT_FALSE(r.exited);
  EXPECT_LT(SecondsSince(start), 4.0);
  long grandchild = testscripts::ReadPid(dir.file("gc.pid"));
  ASSERT_GT(grandchild, 1);
  EXPECT_TRUE(testscripts::ProcessGone(grandchild));
}

TEST(PosixProcessLauncherTest, TimeOutKillsWhatIgnoresTerm) {
  TempDir dir;
  // The ignored TERM is inherited by the sleep, too.
  WriteScript(dir.file("p"), "trap '' TERM\nsleep 30");
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher(200).Run({dir.file("p")}, 1);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(SIGKILL, r.signal);
  EXPECT_LT(SecondsSince(start), 4.0);
}

TEST(PosixProcessLauncherTest, TimeOutReachesAChildThatLeftItsGroup) {
  if (!testsupport::FileExists("/usr/bin/perl")) GTEST_SKIP() << "no perl to change the process group";
  TempDir dir;
  testsupport::WriteFile(dir.file("p"),
                         "#!/usr/bin/perl\nsetpgrp(0, getpgrp(getppid())) or exit 9;\nsleep 30;\n");
  ::chmod(dir.file("p").c_str(), 0755);
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher(200).Run({dir.file("p")}, 1);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(SIGTERM, r.signal);
  EXPECT_LT(SecondsSince(start), 4.0);
}

TEST(PosixProcessLauncherTest, DoesNotWaitForAGrandchildHoldingTheOutput) {
  TempDir dir;
  testscripts::PidKiller cleanup(dir.file("gc.pid"));
  WriteScript(dir.file("p"), "sleep 20 & echo $! > " + dir.file("gc.pid") + "\necho done");
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher().Run({dir.file("p")}, 10);
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(0, r.exitStatus);
  EXPECT_EQ("done\n", r.output);
  EXPECT_LT(SecondsSince(start), 3.0);
}

// SIGCHLD ignored by the host: the kernel collects the child, and its
// exit status is gone. That must not read as success.
TEST(PosixProcessLauncherTest, ReturnsWhileAGrandchildKeepsWriting) {
  TempDir dir;
  testscripts::PidKiller cleanup(dir.file("gc.pid"));
  WriteScript(dir.file("p"), "yes & echo $! > " + dir.file("gc.pid") + "\nsleep 0.2");
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher().Run({dir.file("p")}, 10);
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(PosixProcessLauncher::kMaxOutput, r.output.size());
  EXPECT_LT(SecondsSince(start), 3.0);
}

TEST(PosixProcessLauncherTest, LostExitStatusIsNoSuccess) {
  struct sigaction ignore {};
  struct sigaction old {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGCHLD, &ignore, &old);
  struct Restore {
    struct sigaction* old;
    ~Restore() { sigaction(SIGCHLD, old, nullptr); }
  } restore{&old};
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher().Run({"/bin/true"}, 10);
  EXPECT_TRUE(r.started);
  EXPECT_FALSE(r.exited);
  EXPECT_EQ(0, r.signal);
  EXPECT_FALSE(r.error.empty());
  EXPECT_LT(SecondsSince(start), 3.0);
}

TEST(PosixProcessLauncherTest, LeavesOtherChildrenToTheirOwner) {
  pid_t other = -1;
  char* argv[] = {const_cast<char*>("/bin/sleep"), const_cast<char*>("0.2"), nullptr};
  ASSERT_EQ(0, posix_spawn(&other, argv[0], nullptr, nullptr, argv, environ));
  LaunchResult r = PosixProcessLauncher().Run({"/bin/sleep", "0.4"}, 10);
  EXPECT_TRUE(r.exited);
  int status = 0;
  EXPECT_EQ(other, waitpid(other, &status, 0));  // not reaped by Run
}

}  // namespace
