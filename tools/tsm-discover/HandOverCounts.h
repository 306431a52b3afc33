// What a discovery operation handed over, counted from the XML files it
// left in the hand-over directory. Only the markup of the files is walked,
// they are never built into messages again: counting costs far less than
// the discovery.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tsmdiscover {

struct HandOverCounts {
  long clients = 0;
  long tasks = 0;
  long libraries = 0;
  long media = 0;
  long storagePolicies = 0;
  long jobs = 0;
  long sent = 0;        // messages sent to the host (NNNNNN-sent-...)
  long files = 0;       // XML files in all
  long unreadable = 0;  // files that did not parse

  void Add(const HandOverCounts& other);
  // "clients 10, tasks 3" (only what is not zero), or "nothing".
  std::string Describe() const;
};

// Reads the files `names` of `dir` and counts them; a file that cannot be
// read or whose elements do not nest into one root (cut short, not XML)
// counts as unreadable.
HandOverCounts CountHandOvers(const std::string& dir, const std::vector<std::string>& names);

// Counts each hand-over file on a thread of its own as soon as the host
// says it is complete (zyhost::SetHandOverListener), so that counting a
// long operation's replies overlaps the operation instead of following
// it. One at a time per process: it owns the host's listener while it
// lives. Not copyable.
class BackgroundHandOverCounter {
 public:
  BackgroundHandOverCounter();
  ~BackgroundHandOverCounter();
  BackgroundHandOverCounter(const BackgroundHandOverCounter&) = delete;
  BackgroundHandOverCounter& operator=(const BackgroundHandOverCounter&) = delete;

  // What CountHandOvers(dir, names) gives: files already counted in the
  // background are taken from there (after the queue is drained), the
  // others are counted now.
  HandOverCounts Count(const std::string& dir, const std::vector<std::string>& names);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> queue_;
  bool busy_ = false;
  bool stopping_ = false;
  std::map<std::string, HandOverCounts> counted_;  // by path
  std::thread worker_;
};

}  // namespace tsmdiscover
