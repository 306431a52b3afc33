#include "host/WorkFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct LockState {
  std::recursive_timed_mutex mutex;  // threads of this process
  int depth = 0;                     // guarded by mutex
  int fd = -1;
};

LockState& State() {
  static LockState* state = new LockState();  // never destroyed: fetchers may run at exit
  return *state;
}

// flock has no time-out of its own: try, then sleep a little, until the
// deadline.
bool LockFile(int fd, Clock::time_point deadline) {
  auto pause = std::chrono::milliseconds(5);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(100));
  }
}

}  // namespace

bool WorkFolderLock::Acquire(int waitSeconds, std::string* error) {
  if (held_) return true;
  LockState& s = State();
  const auto deadline = Clock::now() + std::chrono::seconds(waitSeconds > 0 ? waitSeconds : 0);
  if (!s.mutex.try_lock_until(deadline)) {
    *error = "another fetcher of this process holds the working folder";
    return false;
  }
  if (s.depth == 0) {
    int fd = ::open(kFileName, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || !LockFile(fd, deadline)) {
      *error = fd < 0 ? std::string("cannot open ") + kFileName + ": " + std::strerror(errno)
                      : std::string("another discovery job holds ") + kFileName;
      if (fd >= 0) ::close(fd);
      s.mutex.unlock();
      return false;
    }
    s.fd = fd;
  }
  ++s.depth;
  held_ = true;
  return true;
}

WorkFolderLock::~WorkFolderLock() {
  if (!held_) return;
  LockState& s = State();
  if (--s.depth == 0) {
    ::close(s.fd);  // releases the flock
    s.fd = -1;
  }
  s.mutex.unlock();
}
