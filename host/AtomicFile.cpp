#include "host/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace zyhost {

bool WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

namespace {

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Makes the rename itself durable. Best effort: the data is already safe
// and some file systems refuse fsync on a directory.
void SyncDirectory(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& data, mode_t mode) {
  return WriteFileAtomically(path, mode, [&data](int fd) { return WriteAll(fd, data.data(), data.size()); });
}

bool WriteFileAtomically(const std::string& path, mode_t mode, const std::function<bool(int fd)>& produce) {
  if (path.empty() || path.back() == '/') return false;
  std::string dir = DirectoryOf(path);
  std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  // A leading dot keeps the temporary file out of the way of readers that
  // scan the directory for finished files.
  std::string pattern = dir + "/." + base + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');

  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, mode) == 0 && produce(fd) && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  // Renamed over a regular file only: a link or folder planted under the
  // name is not ours to replace.
  struct stat target;
  if (ok && ::lstat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) ok = false;
  if (ok) ok = ::rename(name.data(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(name.data());
    return false;
  }
  SyncDirectory(dir);
  return true;
}

}  // namespace zyhost
