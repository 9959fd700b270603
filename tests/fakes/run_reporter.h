#pragma once
// A run reporter that records what a run told the window, for the tests of both builds.
// Safe to call from a worker thread while the test reads it from its own.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/run_reporter.h"

namespace norvik::cleaning {

class FakeRunReporter : public RunReporter {
 public:
  void AppendLine(std::string line) override {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  void ScrollLogToEnd() override {
    std::lock_guard lock(mutex_);
    scrolled_at_.push_back(lines_.size());
  }
  void Progress(std::uint32_t processed) override {
    std::lock_guard lock(mutex_);
    progress_.push_back(processed);
  }
  void Done(std::uint32_t) override {}
  bool AskYesNo(std::string_view question) override {
    std::lock_guard lock(mutex_);
    questions_.emplace_back(question);
    return answer_;
  }
  void ShowMessage(std::string_view text) override {
    std::lock_guard lock(mutex_);
    messages_.emplace_back(text);
  }

  void SetAnswer(bool yes) {
    std::lock_guard lock(mutex_);
    answer_ = yes;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
    scrolled_at_.clear();
    progress_.clear();
    questions_.clear();
    messages_.clear();
  }

  std::vector<std::string> lines() const { return Copy(lines_); }
  // How many lines the log held at each scroll.
  std::vector<std::size_t> scrolled_at() const { return Copy(scrolled_at_); }
  std::vector<std::uint32_t> progress() const { return Copy(progress_); }
  std::vector<std::string> questions() const { return Copy(questions_); }
  std::vector<std::string> messages() const { return Copy(messages_); }

 private:
  template <typename T>
  T Copy(const T& field) const {
    std::lock_guard lock(mutex_);
    return field;
  }

  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::vector<std::size_t> scrolled_at_;
  std::vector<std::uint32_t> progress_;
  std::vector<std::string> questions_;
  std::vector<std::string> messages_;
  bool answer_ = true;
};

}  // namespace norvik::cleaning
