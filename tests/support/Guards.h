// RAII guards for the process-wide settings of the host library that
// tests change: gathered-files mode, the process launcher, the time zone,
// the hand-over directory, and a scratch directory to fetch in.
#pragma once

#include <time.h>

#include <functional>
#include <memory>
#include <string>

#include "host/CForeignCmdExecBase.h"
#include "host/HandOver.h"
#include "host/ProcessLauncher.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

// Runs `undo` on destruction: restores any other process-wide setting.
struct Undo {
  std::function<void()> undo;
  Undo(const Undo&) = delete;
  ~Undo() { undo(); }
};

// Works from gathered files in `from` (or not); restores the old setting.
class ScopedExistingFiles {
 public:
  ScopedExistingFiles(bool use, const std::string& from)
      : oldUse_(CForeignCmdExecBase::get_UseExistingFiles()),
        oldFrom_(CForeignCmdExecBase::get_UseExistingFilesFrom()) {
    CForeignCmdExecBase::set_UseExistingFiles(use, from);
  }
  ~ScopedExistingFiles() { CForeignCmdExecBase::set_UseExistingFiles(oldUse_, oldFrom_); }
  ScopedExistingFiles(const ScopedExistingFiles&) = delete;
  ScopedExistingFiles& operator=(const ScopedExistingFiles&) = delete;

 private:
  bool oldUse_;
  std::string oldFrom_;
};

// Sets TZ and applies it; the old zone is in force again after.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) : env_(new ScopedEnv("TZ", zone)) { tzset(); }
  ~ScopedTimeZone() {
    env_.reset();
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::unique_ptr<ScopedEnv> env_;
};

// Hands over into `dir` (empty: nowhere), numbered from 1; the old
// directory and a fresh numbering after.
class ScopedHandOver {
 public:
  explicit ScopedHandOver(const std::string& dir) : old_(zyhost::HandOverDirectory()) { Set(dir); }
  ~ScopedHandOver() { Set(old_); }
  ScopedHandOver(const ScopedHandOver&) = delete;
  ScopedHandOver& operator=(const ScopedHandOver&) = delete;
  static void Set(const std::string& dir) {
    zyhost::SetHandOverDirectory(dir);
    zyhost::ResetHandOverSequence();
  }

 private:
  std::string old_;
};

// One fetch in a fresh working directory: live with a scripted dsmadmc,
// or (`replay`) from the saved files of that directory; the log captured
// at full detail. Save() writes a saved file, none for empty content.
struct Workspace {
  explicit Workspace(bool replay = false) : files(replay, replay ? dir.path() + "/" : "") {}
  void Save(const std::string& name, const std::string& content) const {
    if (!content.empty()) WriteFile(dir.file(name), content);
  }
  TempDir dir;
  ScopedChdir cd{dir.path()};
  ScopedExistingFiles files;
  FakeDsmadmc fake;
  LogCapture log;
};

}  // namespace testsupport
