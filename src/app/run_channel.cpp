#include "app/run_channel.h"

#include <algorithm>
#include <utility>

namespace norvik::app {

bool RunChannel::Push(Event event) {
  {
    std::lock_guard lock(mutex_);
    if (cut_) return false;
    events_.push_back(std::move(event));
  }
  changed_.notify_all();
  return true;
}

void RunChannel::AppendLine(std::string line) { Push({Event::Kind::Line, std::move(line), 0, nullptr}); }
void RunChannel::ScrollLogToEnd() { Push({Event::Kind::Scroll, {}, 0, nullptr}); }
void RunChannel::Progress(std::uint32_t processed) { Push({Event::Kind::Progress, {}, processed, nullptr}); }
void RunChannel::Done(std::uint32_t total) { Push({Event::Kind::Done, {}, total, nullptr}); }

bool RunChannel::WaitForAnswer(Event event) {
  event.answer = std::make_shared<std::promise<bool>>();
  auto answer = event.answer->get_future();
  if (!Push(std::move(event))) return false;
  return answer.get();
}

bool RunChannel::AskYesNo(std::string_view question) {
  return WaitForAnswer({Event::Kind::Question, std::string(question), 0, nullptr});
}

void RunChannel::ShowMessage(std::string_view text) {
  WaitForAnswer({Event::Kind::Message, std::string(text), 0, nullptr});
}

std::vector<RunChannel::Event> RunChannel::Take(std::size_t max) {
  std::lock_guard lock(mutex_);
  const auto end = events_.begin() + static_cast<std::ptrdiff_t>(std::min(max, events_.size()));
  std::vector<Event> taken(std::make_move_iterator(events_.begin()), std::make_move_iterator(end));
  events_.erase(events_.begin(), end);
  return taken;
}

void RunChannel::WaitForEvents(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return !events_.empty() || finished_.load(); });
}

void RunChannel::Cut() {
  std::deque<Event> dropped;
  {
    std::lock_guard lock(mutex_);
    cut_ = true;
    dropped.swap(events_);
  }
  for (auto& event : dropped) {
    if (event.answer) event.answer->set_value(false);
  }
  changed_.notify_all();
}

bool RunChannel::IsCut() const {
  std::lock_guard lock(mutex_);
  return cut_;
}

void RunChannel::MarkFinished() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

}  // namespace norvik::app
