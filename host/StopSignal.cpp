#include "host/StopSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <initializer_list>

namespace zyhost {
namespace {

// Lock-free atomics are async-signal-safe; plain ints in static storage
// keep the handler free of any initialisation.
std::atomic<int> g_signal{0};
std::atomic<int> g_readFd{-1};
std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free atomics");

void OnStopSignal(int sig) { RequestStop(sig); }

}  // namespace

bool InstallStopSignals() {
  if (g_readFd.load() >= 0) return true;
  int fds[2];
  // Non-blocking: a handler never waits on a full pipe (one byte is enough).
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  g_writeFd = fds[1];
  g_readFd = fds[0];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  bool ok = true;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) ok = ::sigaction(sig, &action, nullptr) == 0 && ok;
  return ok;
}

int StopSignal() { return g_signal.load(); }

int StopSignalFd() { return g_readFd.load(); }

void RequestStop(int sig) {
  const int savedErrno = errno;
  int expected = 0;
  if (g_signal.compare_exchange_strong(expected, sig)) {
    int fd = g_writeFd.load();
    if (fd >= 0) {
      char byte = 1;
      ssize_t n = ::write(fd, &byte, 1);
      (void)n;
    }
  }
  errno = savedErrno;
}

void ClearStopRequest() {
  int fd = g_readFd.load();
  char buf[64];
  while (fd >= 0 && ::read(fd, buf, sizeof(buf)) > 0) {
  }
  g_signal = 0;
}

}  // namespace zyhost
