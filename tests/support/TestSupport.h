// Helpers shared by the test folders: temporary directories, whole-file
// reads and writes, and RAII guards for process-wide settings.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// A fresh directory under $TMPDIR (or /tmp), removed with its contents on
// destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
std::vector<std::string> ListDir(const std::string& dir);  // sorted names, no . and ..
void RemoveTree(const std::string& path);

// Sets (or with null unsets) an environment variable; restores it after.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

// Changes the working directory; restores it after.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir);
  ~ScopedChdir();
  ScopedChdir(const ScopedChdir&) = delete;
  ScopedChdir& operator=(const ScopedChdir&) = delete;

 private:
  std::string old_;
};

// Sends the debug log to a file of its own at the given level; restores
// the previous log file and level after. text() reads what was logged.
class LogCapture {
 public:
  explicit LogCapture(int level = 7);
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  std::string text() const;

 private:
  TempDir dir_;
  std::string oldFile_;
  int oldLevel_;
};

// Directory of the built programs (dsmadmc simulator, tsm-discover,
// plug-in) and of the source tree.
std::string BinDir();
std::string SourceDir();

}  // namespace testsupport
