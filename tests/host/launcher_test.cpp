#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <tuple>

#include "host/ProcessLauncher.h"
#include "tests/host/fixtures/TestScripts.h"

namespace {

using testscripts::Undo;
using testscripts::WriteProgram;
using testscripts::WriteScript;

// Runs `argv`; *seconds tells how long that took.
LaunchResult TimedRun(const std::vector<std::string>& argv, int timeoutSeconds, double* seconds,
                      int graceMillis = 5000) {
  auto start = std::chrono::steady_clock::now();
  LaunchResult r = PosixProcessLauncher(graceMillis).Run(argv, timeoutSeconds);
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return r;
}

// A field of /proc/<pid>/status as the child printed it.
std::string StatusField(const std::string& status, const std::string& name) {
  size_t begin = status.find("\n" + name + ":\t") + name.size() + 3;
  return status.substr(begin, status.find('\n', begin) - begin);
}

TEST(PosixProcessLauncherTest, ChildStartsClean) {
  // Parent state a careless spawn passes on: a descriptor without
  // O_CLOEXEC (high, so that it is not one the child opens), an ignored
  // and a blocked signal.
  int devNull = ::open("/dev/null", O_RDONLY);
  int fd = ::fcntl(devNull, F_DUPFD, 57);
  sighandler_t oldUsr1 = signal(SIGUSR1, SIG_IGN);
  sigset_t block, oldMask;
  sigemptyset(&block);
  sigaddset(&block, SIGUSR2);
  sigprocmask(SIG_BLOCK, &block, &oldMask);
  Undo undo{[&] {
    sigprocmask(SIG_SETMASK, &oldMask, nullptr);
    signal(SIGUSR1, oldUsr1);
    ::close(fd);
    ::close(devNull);
  }};
  LaunchResult status = PosixProcessLauncher().Run({"/bin/cat", "/proc/self/status"}, 10);
  LaunchResult fds = PosixProcessLauncher().Run({"/bin/ls", "-l", "/proc/self/fd"}, 10);
  ASSERT_TRUE(status.started) << status.error;
  // glibc keeps its two internal signals (32 and 33) ignored; no program can use them.
  EXPECT_EQ(0u, std::stoull(StatusField(status.output, "SigIgn"), nullptr, 16) & ~(3ull << 31));
  EXPECT_EQ("0000000000000000", StatusField(status.output, "SigBlk"));
  EXPECT_EQ(StatusField(status.output, "Pid"), StatusField(status.output, "NSpgid")) << "own process group";
  EXPECT_NE(std::string::npos, fds.output.find(" 0 -> /dev/null\n")) << fds.output;
  EXPECT_EQ(std::string::npos, fds.output.find(" " + std::to_string(fd) + " -> ")) << fds.output;
}

TEST(PosixProcessLauncherTest, ProgramsThatCannotStart) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.file("noexec"), "#!/bin/sh\nexit 0\n");
  WriteProgram(dir.file("nointerp"), "touch ran\n");  // only a shell would run it, and none is used
  testsupport::ScopedChdir cd(dir.path());
  // A missing program is covered through the command execution base.
  for (const std::string& program : {dir.file("noexec"), dir.file("nointerp"), dir.path()}) {
    SCOPED_TRACE(program);
    LaunchResult r = PosixProcessLauncher().Run({program}, 10);
    EXPECT_FALSE(r.started);
  }
  EXPECT_FALSE(testsupport::FileExists(dir.file("ran")));
}

TEST(PosixProcessLauncherTest, TimeOutEndsTheWholeGroup) {
  testsupport::TempDir dir;
  testsupport::ScopedChdir cd(dir.path());
  const std::tuple<std::string, int> cases[] = {
      {"#!/bin/sh\nsleep 30 & echo $! > gc.pid\nsleep 30\n", SIGTERM},
      {"#!/bin/sh\ntrap '' TERM\nsleep 30\n", SIGKILL},  // the sleep ignores TERM, too
      // A child that left its process group is still signalled itself.
      {"#!/usr/bin/perl\nsetpgrp(0, getpgrp(getppid())) or exit 9;\nsleep 30;\n", SIGTERM},
  };
  for (const auto& [program, signal] : cases) {
    SCOPED_TRACE(program);
    WriteProgram(dir.file("p"), program);
    double seconds = 0;
    LaunchResult r = TimedRun({dir.file("p")}, 1, &seconds, 200);
    EXPECT_TRUE(r.started && r.timedOut && !r.exited);
    EXPECT_EQ(signal, r.signal);
    EXPECT_LT(seconds, 4.0);
  }
  long grandchild = std::atol(testsupport::ReadFile("gc.pid").c_str());
  Undo kill{[grandchild] {
    if (grandchild > 1) ::kill(grandchild, SIGKILL);  // in case the time-out missed it
  }};
  ASSERT_GT(grandchild, 1);
  EXPECT_TRUE(testscripts::ProcessGone(grandchild));
}

TEST(PosixProcessLauncherTest, CollectsBoundedOutputWithoutWaitingForGrandchildren) {
  testsupport::TempDir dir;
  testsupport::ScopedChdir cd(dir.path());
  std::string ys;
  while (ys.size() < PosixProcessLauncher::kMaxOutput) ys += "y\n";
  const std::pair<std::string, std::string> cases[] = {
      {"echo to-out; echo to-err >&2", "to-out\nto-err\n"},
      {"head -c 1000000 /dev/zero", std::string(PosixProcessLauncher::kMaxOutput, '\0')},  // never blocked
      // A grandchild holds the output open, and keeps writing (until the pipe is gone).
      {"sleep 5 &\necho done", "done\n"},
      {"yes &\nsleep 0.2", ys},
  };
  for (const auto& [script, output] : cases) {
    SCOPED_TRACE(script);
    WriteScript(dir.file("p"), script);
    double seconds = 0;
    LaunchResult r = TimedRun({dir.file("p")}, 10, &seconds);
    EXPECT_TRUE(r.exited && r.exitStatus == 0);
    EXPECT_EQ(output, r.output);
    EXPECT_LT(seconds, 3.0);
  }
}

TEST(PosixProcessLauncherTest, WaitsForItsOwnChildAlone) {
  {
    // SIGCHLD ignored by the host: the kernel collects the child, and its
    // exit status is gone. That must not read as success.
    Undo undo{[old = signal(SIGCHLD, SIG_IGN)] { signal(SIGCHLD, old); }};
    double seconds = 0;
    LaunchResult r = TimedRun({"/bin/true"}, 10, &seconds);
    EXPECT_TRUE(r.started && !r.exited);
    EXPECT_EQ(0, r.signal);
    EXPECT_FALSE(r.error.empty());
    EXPECT_LT(seconds, 3.0);
  }

  pid_t other = fork();
  if (other == 0) _exit(usleep(200000));
  EXPECT_TRUE(PosixProcessLauncher().Run({"/bin/sleep", "0.4"}, 10).exited);
  int status = 0;
  EXPECT_EQ(other, waitpid(other, &status, 0)) << "another child is left to its owner";
}

}  // namespace
