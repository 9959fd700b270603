#pragma once
// Carries a cleaning run's reports from its worker thread to the window's thread. The
// worker queues; the window takes the queue on its own thread and acts on it in order.
// A cancelled run's channel is cut: what the worker still says is dropped and its
// questions are answered No, so a later run's log never mixes with it.

#include <atomic>
#include <cstddef>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cleaning/run_reporter.h"

namespace norvik::app {

class RunChannel final : public cleaning::RunReporter {
 public:
  struct Event {
    enum class Kind { Line, Scroll, Progress, Done, Question, Message };
    Kind kind = Kind::Line;
    std::string text;
    std::uint32_t number = 0;
    std::shared_ptr<std::promise<bool>> answer;  // questions and messages
  };

  // cleaning::RunReporter, called by the worker.
  void AppendLine(std::string line) override;
  void ScrollLogToEnd() override;
  void Progress(std::uint32_t processed) override;
  void Done(std::uint32_t total) override;
  bool AskYesNo(std::string_view question) override;
  void ShowMessage(std::string_view text) override;

  // The window's side: what is queued so far, in order, at most `max` events.
  std::vector<Event> Take(std::size_t max = SIZE_MAX);
  // Waits until something is queued or the worker has ended (for test pumps).
  void WaitForEvents(std::chrono::milliseconds timeout);
  // Drops everything queued and later; waiting questions get No.
  void Cut();
  bool IsCut() const;

  // The worker thread has left Execute.
  void MarkFinished();
  bool Finished() const { return finished_.load(); }

 private:
  bool Push(Event event);  // false when cut
  bool WaitForAnswer(Event event);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Event> events_;
  bool cut_ = false;
  std::atomic<bool> finished_{false};
};

}  // namespace norvik::app
