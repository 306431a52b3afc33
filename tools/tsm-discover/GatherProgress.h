// Progress of gather's per-item queries on standard error: items done of
// the total, the elapsed time and the failures, on one line rewritten in
// place. Only when standard error is a terminal; otherwise it stays
// silent, so logs and tests see no carriage returns.
#pragma once

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>

namespace tsmdiscover {

// Thread-safe: the workers report through it and write their error lines
// through Print, which keeps them from cutting into the progress line.
class GatherProgress {
 public:
  // `out` is not owned and must outlive this object.
  GatherProgress(size_t total, std::ostream& out, bool terminal);
  // Ends the progress line so later output starts on a line of its own.
  ~GatherProgress();
  GatherProgress(const GatherProgress&) = delete;
  GatherProgress& operator=(const GatherProgress&) = delete;

  void Done(bool ok);
  // Writes `line` (ending in a newline) on a line of its own.
  void Print(const std::string& line);

 private:
  void Draw(bool force);  // with mutex_ held

  std::mutex mutex_;
  std::ostream& out_;
  bool terminal_;
  size_t total_;
  size_t done_ = 0;
  size_t failed_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace tsmdiscover
