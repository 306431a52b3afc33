#include "tests/support/TestSupport.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/EvDebug.h"

namespace testsupport {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tsmtest.XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

namespace {
int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
  ::chmod(path, 0700);
  return ::remove(path);
}
}  // namespace

void RemoveTree(const std::string& path) {
  if (path.empty()) return;
  ::chmod(path.c_str(), 0700);
  nftw(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : name_(name) {
  const char* old = std::getenv(name.c_str());
  had_ = old != nullptr;
  if (had_) old_ = old;
  if (value != nullptr) {
    setenv(name.c_str(), value, 1);
  } else {
    unsetenv(name.c_str());
  }
}

ScopedEnv::~ScopedEnv() {
  if (had_) {
    setenv(name_.c_str(), old_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

ScopedChdir::ScopedChdir(const std::string& dir) {
  char buf[4096];
  if (getcwd(buf, sizeof(buf)) != nullptr) old_ = buf;
  if (chdir(dir.c_str()) != 0) throw std::runtime_error("chdir failed: " + dir);
}

ScopedChdir::~ScopedChdir() {
  if (!old_.empty() && chdir(old_.c_str()) != 0) {
    // Nothing sensible to do in a destructor; the next test will notice.
  }
}

LogCapture::LogCapture(int level) : oldFile_(EvDebug::LogFile()), oldLevel_(EvDebug::Level()) {
  EvDebug::SetLogFile(dir_.file("debug.log"));
  EvDebug::SetLevel(level);
}

LogCapture::~LogCapture() {
  EvDebug::SetLogFile(oldFile_);
  EvDebug::SetLevel(oldLevel_);
}

std::string LogCapture::text() const { return ReadFile(dir_.file("debug.log")); }

std::string BinDir() { return TSM_BIN_DIR; }
std::string SourceDir() { return TSM_SOURCE_DIR; }

}  // namespace testsupport
