// Starting a child process: the seam that tests replace. The real launcher
// uses posix_spawn without a shell (see ProcessLauncher.cpp).
#pragma once

#include <string>
#include <vector>

#include "host/ZyHostApi.h"

struct ZYHOST_API LaunchResult {
  bool started = false;  // false: the program could not be started
  bool exited = false;   // normal exit; exitStatus is valid
  int exitStatus = 0;
  int signal = 0;         // the signal that ended the child, if any
                          // (neither exited nor signal: status lost)
  bool timedOut = false;  // ended by the time-out
  int stopSignal = 0;     // ended because this signal requested a stop (StopSignal.h)
  std::string output;     // standard output and error, bounded
  std::string error;      // why it could not start
};

class ZYHOST_API ProcessLauncher {
 public:
  virtual ~ProcessLauncher();
  // argv[0] is the program path or bare name; no shell is involved.
  virtual LaunchResult Run(const std::vector<std::string>& argv, int timeoutSeconds) = 0;
};

// posix_spawn in the current directory: descriptors closed, standard input
// /dev/null, own process group, default signal dispositions; waits for
// that pid alone; on time-out TERM then KILL to the whole group, and the
// same at once when a stop is requested (StopSignal.h), with at most
// kStopGraceMillis of grace. timeoutSeconds <= 0 means no time limit.
class ZYHOST_API PosixProcessLauncher : public ProcessLauncher {
 public:
  // After TERM, the child gets `graceMillis` to end before the group is
  // killed; the group is killed as soon as the child has ended.
  explicit PosixProcessLauncher(int graceMillis = 5000);
  LaunchResult Run(const std::vector<std::string>& argv, int timeoutSeconds) override;
  // Bytes of child output kept for the log.
  static constexpr size_t kMaxOutput = 64 * 1024;
  static constexpr int kStopGraceMillis = 2000;

 private:
  int graceMillis_;
};
