#pragma once
// Carries a registry scan's reports from its worker to the window's thread. Rows pile up
// until the window takes them in one batch; of the title and the key text only the
// latest matters. Cancel cuts the channel and takes what was queued: every row found
// before the cut is kept whole, nothing said afterwards arrives.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "regscan/scan_task.h"

namespace norvik::app {

class ScanChannel final : public regscan::ScanSink {
 public:
  struct Batch {
    std::optional<std::string> title;
    std::optional<std::string> key;
    regscan::ProblemRows rows;
    int sections_done = 0;
    bool done = false;
  };

  // regscan::ScanSink, called by the worker.
  void SetTitle(std::string title) override;
  void ShowKey(std::string text) override;
  void AddRow(regscan::ProblemRow row) override;
  void SectionDone() override;
  void Done() override;

  // The window's side: everything since the last call.
  Batch Take();
  // Takes what is queued and drops everything said later.
  Batch Cut();
  // Waits until something is queued or the worker has ended (for test pumps).
  void WaitForEvents(std::chrono::milliseconds timeout);

  // The worker thread has left Execute.
  void MarkFinished();
  bool Finished() const { return finished_.load(); }

 private:
  template <typename Change>
  void Push(Change change);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Batch queued_;
  bool pending_ = false;
  bool cut_ = false;
  std::atomic<bool> finished_{false};
};

}  // namespace norvik::app
