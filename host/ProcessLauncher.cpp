#include "host/ProcessLauncher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "host/StopSignal.h"

extern char** environ;

ProcessLauncher::~ProcessLauncher() = default;

namespace {

using Clock = std::chrono::steady_clock;

int MillisUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Closes a descriptor on every path out of Run.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Moves the descriptor above the standard ones, so that the child's
  // dup2 onto 1 and 2 never meets it there.
  bool lift() {
    if (fd_ > STDERR_FILENO) return true;
    int moved = ::fcntl(fd_, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (moved < 0) return false;
    reset();
    fd_ = moved;
    return true;
  }

 private:
  int fd_;
};

class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attr_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // 0 or an errno value.
  int Prepare(int outFd) {
    int rc = posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions_, outFd, STDOUT_FILENO);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions_, outFd, STDERR_FILENO);
    if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    if (rc != 0) return rc;
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    rc = posix_spawnattr_setflags(&attr_,
                                  POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    if (rc == 0) rc = posix_spawnattr_setpgroup(&attr_, 0);
    if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr_, &all);
    if (rc == 0) rc = posix_spawnattr_setsigmask(&attr_, &none);
    return rc;
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attr() const { return &attr_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
};

// The running child: its output pipe and its exit.
class Child {
 public:
  Child(pid_t pid, int readFd, size_t maxOutput, std::string* output)
      : pid_(pid), pidFd_(OpenPidFd(pid)), readFd_(readFd), maxOutput_(maxOutput), output_(output) {}
  ~Child() {
    if (pidFd_ >= 0) ::close(pidFd_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  enum class Wait { kEnded, kDeadline, kStopped };

  // Reads output until the child has ended or `deadline` passes, or, with
  // `watchStop`, a stop was requested (StopSignal.h). With `reap` the
  // ended child is collected and its status stored; without, it is left a
  // zombie, which keeps its process group id from being reused until Reap.
  Wait WaitUntil(Clock::time_point deadline, bool reap, bool watchStop, int* status) {
    int idleMillis = 1;  // without a pid descriptor: back off from 1 ms
    const int stopFd = watchStop ? zyhost::StopSignalFd() : -1;
    for (;;) {
      if (reap ? Reaped(status) : Ended()) return Wait::kEnded;
      if (watchStop && zyhost::StopSignal() != 0) return Wait::kStopped;
      int left = MillisUntil(deadline);
      if (left == 0) return Wait::kDeadline;
      // A grandchild may hold the pipe open after the child has gone, so
      // the exit is watched beside the output, never after it.
      int slice = std::min(left, kSliceMillis);
      pollfd fds[3];
      nfds_t n = 0;
      if (readFd_ >= 0) fds[n++] = pollfd{readFd_, POLLIN, 0};
      if (stopFd >= 0) fds[n++] = pollfd{stopFd, POLLIN, 0};
      if (pidFd_ >= 0) {
        fds[n++] = pollfd{pidFd_, POLLIN, 0};
        slice = left;  // the descriptor wakes us at the exit
      } else if (readFd_ < 0) {
        slice = std::min(slice, idleMillis);
        idleMillis = std::min(idleMillis * 2, kSliceMillis);
      }
      if (::poll(n == 0 ? nullptr : fds, n, slice) > 0 && readFd_ >= 0 && fds[0].revents != 0) Drain();
    }
  }

  // Waits for the child that is ending or has been killed.
  int Reap() {
    int status = 0;
    while (!lost_ && ::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    DrainAvailable();
    return status;
  }

  // The whole group, and the child itself in case it left the group. The
  // child is not reaped yet, so neither id can belong to anyone else.
  // True when the child was collected by someone else (SIGCHLD ignored
  // in this process): its exit status is unknown.
  bool lost() const { return lost_; }

  void Signal(int sig) {
    if (lost_) return;
    ::kill(-pid_, sig);
    ::kill(pid_, sig);
  }

 private:
  static constexpr int kSliceMillis = 50;
  static constexpr int kMaxFinalReads = 256;  // of kReadSize bytes
  static constexpr size_t kReadSize = 8192;

  bool Ended() {
    siginfo_t info;
    std::memset(&info, 0, sizeof(info));
    int rc;
    do {
      rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0 && errno == ECHILD) lost_ = true;
    return lost_ || (rc == 0 && info.si_pid == pid_);
  }

  bool Reaped(int* status) {
    pid_t rc;
    do {
      rc = ::waitpid(pid_, status, WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0 && errno == ECHILD) lost_ = true;
    if (rc != pid_ && !lost_) return false;
    DrainAvailable();
    return true;
  }

  // Reads what the pipe holds now, without waiting for writers that are
  // still alive. Bounded (well above a pipe's capacity), so that a
  // grandchild that keeps writing cannot hold the caller here.
  void DrainAvailable() {
    for (int reads = 0; readFd_ >= 0 && reads < kMaxFinalReads; ++reads) {
      pollfd p{readFd_, POLLIN, 0};
      int n = ::poll(&p, 1, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      if (!Drain()) return;
    }
  }

  // One read; keeps at most maxOutput_ bytes but always empties the pipe
  // so the child never blocks on a full one. False at the end of output.
  bool Drain() {
    char buf[kReadSize];
    ssize_t n = ::read(readFd_, buf, sizeof(buf));
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) {
      readFd_ = -1;  // end of output; the owner closes the descriptor
      return false;
    }
    size_t room = maxOutput_ - std::min(maxOutput_, output_->size());
    output_->append(buf, std::min(room, static_cast<size_t>(n)));
    return true;
  }

  // A descriptor that becomes readable when the child exits, so the exit
  // is waited for without sleeping; -1 on kernels without pidfd_open.
  static int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
  }

  pid_t pid_;
  int pidFd_;
  bool lost_ = false;
  int readFd_;
  size_t maxOutput_;
  std::string* output_;
};

// -1: the status is unknown.
void Describe(int status, LaunchResult* result) {
  if (status == -1) {
    result->error = "exit status lost";
  } else if (WIFEXITED(status)) {
    result->exited = true;
    result->exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result->signal = WTERMSIG(status);
  }
}

}  // namespace

PosixProcessLauncher::PosixProcessLauncher(int graceMillis) : graceMillis_(graceMillis) {}

LaunchResult PosixProcessLauncher::Run(const std::vector<std::string>& argv, int timeoutSeconds) {
  LaunchResult result;
  if (argv.empty() || argv[0].empty()) {
    result.error = "no program named";
    return result;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    result.error = std::string("pipe: ") + std::strerror(errno);
    return result;
  }
  Fd readEnd(fds[0]);
  Fd writeEnd(fds[1]);
  SpawnSetup setup;
  int rc = readEnd.lift() && writeEnd.lift() ? setup.Prepare(writeEnd.get()) : errno;
  if (rc != 0) {
    result.error = std::string("spawn setup: ") + std::strerror(rc);
    return result;
  }

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  // posix_spawnp searches PATH only for a name without '/'; it never
  // falls back to a shell for a file that is not executable.
  rc = ::posix_spawnp(&pid, args[0], setup.actions(), setup.attr(), args.data(), environ);
  writeEnd.reset();  // the child holds the only write end now
  if (rc != 0) {
    result.error = std::strerror(rc);
    return result;
  }
  result.started = true;

  Child child(pid, readEnd.get(), kMaxOutput, &result.output);
  auto deadline =
      timeoutSeconds > 0 ? Clock::now() + std::chrono::seconds(timeoutSeconds) : Clock::time_point::max();
  int status = 0;
  const Child::Wait waited = child.WaitUntil(deadline, true, true, &status);
  if (waited == Child::Wait::kEnded) {
    Describe(child.lost() ? -1 : status, &result);
    return result;
  }

  // Time-out or stop request: ask the whole group to stop, then make sure
  // of it. A stop request gets a shorter grace: someone waits for the exit.
  int grace = std::max(0, graceMillis_);
  if (waited == Child::Wait::kStopped) {
    result.stopSignal = zyhost::StopSignal();
    grace = std::min(grace, kStopGraceMillis);
  } else {
    result.timedOut = true;
  }
  child.Signal(SIGTERM);
  child.WaitUntil(Clock::now() + std::chrono::milliseconds(grace), false, false, &status);
  child.Signal(SIGKILL);  // grandchildren that outlived the child, too
  status = child.Reap();
  Describe(child.lost() ? -1 : status, &result);
  return result;
}
