// RAII guards for the process-wide settings of the host library that
// tests change: gathered-files mode, the process launcher, the time zone,
// the hand-over directory, and a scratch directory to fetch in.
#pragma once

#include <time.h>

#include <string>

#include "host/CForeignCmdExecBase.h"
#include "host/HandOver.h"
#include "host/ProcessLauncher.h"
#include "tests/support/FakeDsmadmc.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

// Works from gathered files in `from` (or not); restores the old setting.
struct ScopedExistingFiles : Undo {
  ScopedExistingFiles(bool use, const std::string& from)
      : Undo{[use = CForeignCmdExecBase::get_UseExistingFiles(),
              from = CForeignCmdExecBase::get_UseExistingFilesFrom()] {
          CForeignCmdExecBase::set_UseExistingFiles(use, from);
        }} {
    CForeignCmdExecBase::set_UseExistingFiles(use, from);
  }
};

// Sets TZ and applies it; the old zone is in force again after.
struct ScopedTimeZone : ScopedEnv {
  explicit ScopedTimeZone(const char* zone) : ScopedEnv("TZ", zone) {
    tzset();
    undo = [restore = std::move(undo)] { restore(), tzset(); };
  }
};

// Hands over into `dir` (empty: nowhere), numbered from 1; the old
// directory and a fresh numbering after.
struct ScopedHandOver : Undo {
  explicit ScopedHandOver(const std::string& dir) : Undo{[old = zyhost::HandOverDirectory()] { Set(old); }} {
    Set(dir);
  }
  static void Set(const std::string& dir) {
    zyhost::SetHandOverDirectory(dir);
    zyhost::ResetHandOverSequence();
  }
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
