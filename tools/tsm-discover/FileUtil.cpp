#include "tools/tsm-discover/FileUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tsmdiscover {

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char buf[4096];
  if (getcwd(buf, sizeof(buf)) == nullptr) return path;
  std::string base = buf;
  std::string rest = path;
  while (rest.rfind("./", 0) == 0) rest = rest.substr(2);
  if (rest == ".") rest.clear();
  return rest.empty() ? base : WithSlash(base) + rest;
}

std::string WithSlash(const std::string& dir) { return (dir.empty() || dir.back() == '/') ? dir : dir + "/"; }

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExecutable(const std::string& path) {
  return IsRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
}

bool MakeDirectories(const std::string& dir) {
  if (dir.empty()) return false;
  if (IsDirectory(dir)) return true;
  size_t slash = dir.find_last_of('/', dir.size() > 1 ? dir.size() - 2 : 0);
  if (slash != std::string::npos && slash > 0 && !MakeDirectories(dir.substr(0, slash))) return false;
  return ::mkdir(dir.c_str(), 0755) == 0 || IsDirectory(dir);
}

bool IsWritableDirectory(const std::string& dir) {
  if (!IsDirectory(dir)) return false;
  std::string probe = WithSlash(dir) + ".tsm-discover-probe.XXXXXX";
  std::vector<char> name(probe.begin(), probe.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(name.data());
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buf;
  buf << in.rdbuf();
  *content = buf.str();
  return !in.bad();
}

bool ReadFileStart(const std::string& path, size_t limit, std::string* content) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  content->assign(limit, '\0');
  ssize_t n = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? ::read(fd, &(*content)[0], limit) : -1;
  ::close(fd);
  content->resize(n > 0 ? static_cast<size_t>(n) : 0);
  return n >= 0;
}

bool ReplaceFile(const std::string& path, const std::string& content, std::string* error) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    *error = path + " is a link or not a regular file; refused";
    return false;
  }
  const size_t slash = path.find_last_of('/');
  std::string pattern = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." +
                        path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  bool ok = fd >= 0 && ::fchmod(fd, 0644) == 0;
  for (size_t done = 0; ok && done < content.size();) {
    ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    done += ok ? static_cast<size_t>(n) : 0;
  }
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(name.data(), path.c_str()) == 0;
  if (!ok) {
    if (fd >= 0) ::unlink(name.data());
    *error = "cannot write " + path + ": " + std::strerror(errno);
  }
  return ok;
}

std::string ReadableFileProblem(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    return errno == ENOENT ? "does not exist" : std::string("cannot be read: ") + std::strerror(errno);
  }
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string("cannot be read: ") + std::strerror(errno);
  ::close(fd);
  return std::string();
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  out.flush();
  return static_cast<bool>(out);
}

bool CopyFile(const std::string& from, const std::string& to) {
  struct stat st;
  std::string content;
  if (::stat(from.c_str(), &st) != 0 || !ReadWholeFile(from, &content)) return false;
  if (!WriteWholeFile(to, content)) return false;
  return ::chmod(to.c_str(), st.st_mode & 07777) == 0;
}

bool CopyDirectoryFiles(const std::string& from, const std::string& to) {
  if (!MakeDirectories(to)) return false;
  for (const std::string& name : ListDirectory(from)) {
    std::string source = WithSlash(from) + name;
    if (IsRegularFile(source) && !CopyFile(source, WithSlash(to) + name)) return false;
  }
  return true;
}

std::vector<std::string> ListDirectory(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return names;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

std::string MakeTempDirectory(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + ".XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) == nullptr) return "";
  return buf.data();
}

}  // namespace tsmdiscover
