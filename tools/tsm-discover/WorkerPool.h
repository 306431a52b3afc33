// Runs numbered tasks on a few threads, for gather's per-item queries.
#pragma once

#include <cstddef>
#include <functional>

namespace tsmdiscover {

// Runs task(0) .. task(count - 1) on `threads` threads (at least 1; never
// more than there are tasks), each index exactly once unless a task fails:
// once one returns false, no further index is started and the tasks
// already running finish. `task` is called concurrently from the worker
// threads, so whatever it shares needs its own locking. Returns when
// every started task has ended; true when all `count` tasks returned true.
bool RunTasks(size_t count, int threads, const std::function<bool(size_t)>& task);

}  // namespace tsmdiscover
