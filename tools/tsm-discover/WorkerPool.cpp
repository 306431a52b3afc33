#include "tools/tsm-discover/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace tsmdiscover {

bool RunTasks(size_t count, int threads, const std::function<bool(size_t)>& task) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  auto work = [&] {
    for (size_t i = next++; i < count && !failed; i = next++) {
      if (!task(i)) failed = true;
    }
  };
  size_t workers = std::min(count, static_cast<size_t>(std::max(threads, 1)));
  if (workers <= 1) {
    work();  // the sequential case needs no thread
    return !failed;
  }
  std::vector<std::thread> pool;
  for (size_t w = 0; w < workers; ++w) pool.emplace_back(work);
  for (std::thread& t : pool) t.join();
  return !failed;
}

}  // namespace tsmdiscover
