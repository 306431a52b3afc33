#include "tools/tsm-discover/OutFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tsmdiscover {

OutFolderLock::~OutFolderLock() {
  if (fd_ >= 0) ::close(fd_);  // releases the flock
}

bool OutFolderLock::Acquire(const std::string& dir, std::string* error) {
  if (held()) return true;
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *error = "output directory " + dir + " cannot be opened: " + std::strerror(errno);
    return false;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    *error = errno == EWOULDBLOCK ? "output directory " + dir + " is in use by another tsm-discover job"
                                  : "output directory " + dir + " cannot be locked: " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

}  // namespace tsmdiscover
