#include "tests/support/TestSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "host/EvDebug.h"

namespace testsupport {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  path_ = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tsmtest.XXXXXX";
  if (mkdtemp(&path_[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& e : std::filesystem::directory_iterator(dir, error)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::string& path) {
  if (path.empty()) return;
  std::error_code error;  // a folder a test made read-only is emptied too
  std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                               error);
  std::filesystem::remove_all(path, error);
}

namespace {
std::string CurrentDir() {
  char buf[4096];
  return getcwd(buf, sizeof(buf)) != nullptr ? buf : "";
}

std::function<void()> EnvRestorer(const std::string& name) {
  const char* old = std::getenv(name.c_str());
  if (old == nullptr) return [name] { unsetenv(name.c_str()); };
  return [name, value = std::string(old)] { setenv(name.c_str(), value.c_str(), 1); };
}
}  // namespace

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : Undo{EnvRestorer(name)} {
  if (value == nullptr) unsetenv(name.c_str());
  if (value != nullptr) setenv(name.c_str(), value, 1);
}

ScopedChdir::ScopedChdir(const std::string& dir)
    : Undo{[old = CurrentDir()] {
        std::error_code error;  // nothing sensible to do in a destructor; the next test will notice
        std::filesystem::current_path(old, error);
      }} {
  if (chdir(dir.c_str()) != 0) throw std::runtime_error("chdir failed: " + dir);
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
