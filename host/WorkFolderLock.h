// Serialises dsmadmc runs that share a working folder. The output files
// have fixed names in that folder, so two discovery jobs working there at
// once would remove and read each other's files. A fetcher holds this lock
// from the removal of its old output file to the end of its parse.
//
// The lock is an flock on ".ixr.lock" in the current directory (opened
// without following a link; a link or anything but a regular file there
// is refused), taken
// once per process and counted, so a fetcher that runs another from its
// parser (drives inside the library parse) does not wait for itself.
// Threads of one process also take turns. Released by the destructor.
#pragma once

#include <string>

#include "host/ZyHostApi.h"

class ZYHOST_API WorkFolderLock {
 public:
  static constexpr const char* kFileName = ".ixr.lock";

  WorkFolderLock() = default;
  ~WorkFolderLock();
  WorkFolderLock(const WorkFolderLock&) = delete;
  WorkFolderLock& operator=(const WorkFolderLock&) = delete;

  // Waits at most `waitSeconds` (at least one try). False with a reason
  // in `error` when the lock was not obtained.
  bool Acquire(int waitSeconds, std::string* error);

 private:
  bool held_ = false;
};
