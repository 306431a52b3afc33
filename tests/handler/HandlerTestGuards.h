// RAII guards for the process-wide settings the handler tests change.
#pragma once

#include <time.h>

#include <memory>
#include <string>

#include "host/CForeignCmdExecBase.h"
#include "tests/support/TestSupport.h"

namespace handlertest {

// Works from existing files in `from` (or not); restores the old setting.
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

// Sets TZ and applies it; the old zone is back in force after.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) : env_(new testsupport::ScopedEnv("TZ", zone)) { tzset(); }
  ~ScopedTimeZone() {
    env_.reset();
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::unique_ptr<testsupport::ScopedEnv> env_;
};

}  // namespace handlertest
