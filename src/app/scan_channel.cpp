#include "app/scan_channel.h"

#include <utility>

namespace norvik::app {

template <typename Change>
void ScanChannel::Push(Change change) {
  {
    std::lock_guard lock(mutex_);
    if (cut_) return;
    change(queued_);
    pending_ = true;
  }
  changed_.notify_all();
}

void ScanChannel::SetTitle(std::string title) { Push([&](Batch& b) { b.title = std::move(title); }); }
void ScanChannel::ShowKey(std::string text) { Push([&](Batch& b) { b.key = std::move(text); }); }
void ScanChannel::AddRow(regscan::ProblemRow row) { Push([&](Batch& b) { b.rows.push_back(std::move(row)); }); }
void ScanChannel::SectionDone() { Push([](Batch& b) { ++b.sections_done; }); }
void ScanChannel::Done() { Push([](Batch& b) { b.done = true; }); }

ScanChannel::Batch ScanChannel::Take() {
  std::lock_guard lock(mutex_);
  pending_ = false;
  return std::exchange(queued_, Batch{});
}

ScanChannel::Batch ScanChannel::Cut() {
  std::lock_guard lock(mutex_);
  cut_ = true;
  pending_ = false;
  return std::exchange(queued_, Batch{});
}

void ScanChannel::WaitForEvents(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return pending_ || finished_.load(); });
}

void ScanChannel::MarkFinished() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

}  // namespace norvik::app
