// Helpers shared by the test folders: temporary directories, whole-file
// reads and writes, and RAII guards for process-wide settings.
#pragma once

#include <functional>
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

// Runs `undo` on destruction: restores a process-wide setting.
struct Undo {
  std::function<void()> undo;
  Undo(const Undo&) = delete;
  ~Undo() { undo(); }
};

// Sets (or with null unsets) an environment variable; restores it after.
struct ScopedEnv : Undo {
  ScopedEnv(const std::string& name, const char* value);
};

// Changes the working directory; restores it after.
struct ScopedChdir : Undo {
  explicit ScopedChdir(const std::string& dir);
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
