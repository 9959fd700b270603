#pragma once
// Workers whose window has gone while they still run a call that cannot be interrupted
// (System Restore's) are kept here rather than waited for on the window's thread; the
// yard waits for them when it goes away, at the latest when the program closes.

#include <mutex>
#include <thread>
#include <vector>

namespace norvik::app {

class WorkerYard {
 public:
  WorkerYard() = default;
  WorkerYard(const WorkerYard&) = delete;
  WorkerYard& operator=(const WorkerYard&) = delete;
  ~WorkerYard() { WaitForAll(); }

  void Keep(std::jthread worker) {
    std::lock_guard lock(mutex_);
    workers_.push_back(std::move(worker));
  }
  void WaitForAll() {
    std::vector<std::jthread> workers;
    {
      std::lock_guard lock(mutex_);
      workers.swap(workers_);
    }
    workers.clear();  // each jthread joins as it goes
  }

 private:
  std::mutex mutex_;
  std::vector<std::jthread> workers_;
};

}  // namespace norvik::app
