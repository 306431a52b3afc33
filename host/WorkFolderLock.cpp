#include "host/WorkFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "host/StopSignal.h"

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
    if (Clock::now() >= deadline || zyhost::StopSignal() != 0) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(100));
  }
}

// The lock file, never through a link (which would create or lock a file
// elsewhere, or one that other lockers do not open): -1 with the reason.
int OpenLockFile(std::string* error) {
  int fd = ::open(WorkFolderLock::kFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  struct stat st;
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  *error = fd < 0 && errno != ELOOP && errno != EISDIR
               ? std::string("cannot open ") + WorkFolderLock::kFileName + ": " + std::strerror(errno)
               : std::string(WorkFolderLock::kFileName) + " is a link or not a regular file; refused";
  if (fd >= 0) ::close(fd);
  return -1;
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
    int fd = OpenLockFile(error);
    if (fd < 0 || !LockFile(fd, deadline)) {
      if (fd >= 0) *error = std::string("another discovery job holds ") + kFileName;
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
