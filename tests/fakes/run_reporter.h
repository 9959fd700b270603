#pragma once
// A run reporter that records what a run told the window, for the tests of both builds.
// Safe to call from a worker thread while the test reads it from its own.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "cleaning/run_reporter.h"

namespace norvik::cleaning {

class FakeRunReporter : public RunReporter {
 public:
  void AppendLine(std::string line) override { Locked([&] { record_.lines.push_back(std::move(line)); }); }
  void ScrollLogToEnd() override { Locked([&] { record_.scrolled_at.push_back(record_.lines.size()); }); }
  void Progress(std::uint32_t processed) override { Locked([&] { record_.progress.push_back(processed); }); }
  void Done(std::uint32_t) override {}
  bool AskYesNo(std::string_view question) override {
    return Locked([&] {
      record_.questions.emplace_back(question);
      return answer_;
    });
  }
  void ShowMessage(std::string_view text) override { Locked([&] { record_.messages.emplace_back(text); }); }

  void SetAnswer(bool yes) { Locked([&] { answer_ = yes; }); }
  void Clear() { Locked([&] { record_ = {}; }); }

  std::vector<std::string> lines() const { return Locked([&] { return record_.lines; }); }
  // How many lines the log held at each scroll.
  std::vector<std::size_t> scrolled_at() const { return Locked([&] { return record_.scrolled_at; }); }
  std::vector<std::uint32_t> progress() const { return Locked([&] { return record_.progress; }); }
  std::vector<std::string> questions() const { return Locked([&] { return record_.questions; }); }
  std::vector<std::string> messages() const { return Locked([&] { return record_.messages; }); }

 private:
  struct Record {
    std::vector<std::string> lines, questions, messages;
    std::vector<std::size_t> scrolled_at;
    std::vector<std::uint32_t> progress;
  };
  template <typename Action>
  std::invoke_result_t<Action> Locked(Action action) const {
    std::lock_guard lock(mutex_);
    return action();
  }

  mutable std::mutex mutex_;
  Record record_;
  bool answer_ = true;
};

}  // namespace norvik::cleaning
