// One job per output folder: an exclusive flock on the folder itself,
// held from Acquire to destruction. A second tsm-discover job into the
// same folder (run, demo, gather or report) is refused at once, so two
// jobs' files never mix there. The lock is on the folder's own descriptor,
// so no lock file is created in it and none can be planted. The kernel
// drops it when the process ends, however it ends.
#pragma once

#include <string>

namespace tsmdiscover {

class OutFolderLock {
 public:
  OutFolderLock() = default;
  ~OutFolderLock();
  OutFolderLock(const OutFolderLock&) = delete;
  OutFolderLock& operator=(const OutFolderLock&) = delete;

  // Locks the existing folder `dir`. False with one line naming it in
  // *error when another job holds it or it cannot be opened.
  bool Acquire(const std::string& dir, std::string* error);
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace tsmdiscover
