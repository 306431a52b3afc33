// RAII guards for the process-wide settings of the host library that
// tests change: gathered-files mode, the process launcher, the time zone.
#pragma once

#include <time.h>

#include <memory>
#include <string>

#include "host/CForeignCmdExecBase.h"
#include "host/ProcessLauncher.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

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

// Installs a launcher (not owned) for the guard's lifetime.
class ScopedLauncher {
 public:
  explicit ScopedLauncher(ProcessLauncher* launcher) { CForeignCmdExecBase::SetProcessLauncher(launcher); }
  ~ScopedLauncher() { CForeignCmdExecBase::SetProcessLauncher(nullptr); }
  ScopedLauncher(const ScopedLauncher&) = delete;
  ScopedLauncher& operator=(const ScopedLauncher&) = delete;
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

}  // namespace testsupport
