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
    record_.lines.push_back(std::move(line));
  }
  void ScrollLogToEnd() override {
    std::lock_guard lock(mutex_);
    record_.scrolled_at.push_back(record_.lines.size());
  }
  void Progress(std::uint32_t processed) override {
    std::lock_guard lock(mutex_);
    record_.progress.push_back(processed);
  }
  void Done(std::uint32_t) override {}
  bool AskYesNo(std::string_view question) override {
    std::lock_guard lock(mutex_);
    record_.questions.emplace_back(question);
    return answer_;
  }
  void ShowMessage(std::string_view text) override {
    std::lock_guard lock(mutex_);
    record_.messages.emplace_back(text);
  }

  void SetAnswer(bool yes) {
    std::lock_guard lock(mutex_);
    answer_ = yes;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    record_ = {};
  }

  std::vector<std::string> lines() const { return Copy(&Record::lines); }
  // How many lines the log held at each scroll.
  std::vector<std::size_t> scrolled_at() const { return Copy(&Record::scrolled_at); }
  std::vector<std::uint32_t> progress() const { return Copy(&Record::progress); }
  std::vector<std::string> questions() const { return Copy(&Record::questions); }
  std::vector<std::string> messages() const { return Copy(&Record::messages); }

 private:
  struct Record {
    std::vector<std::string> lines, questions, messages;
    std::vector<std::size_t> scrolled_at;
    std::vector<std::uint32_t> progress;
  };
  template <typename T>
  T Copy(T Record::*field) const {
    std::lock_guard lock(mutex_);
    return record_.*field;
  }

  mutable std::mutex mutex_;
  Record record_;
  bool answer_ = true;
};

}  // namespace norvik::cleaning
