#pragma once
// Shared by every benchmark, native and Wine: one run's seconds, the median of several,
// and a run reporter that shows nothing.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/run_reporter.h"

namespace norvik::bench {

inline double Seconds(const std::function<void()>& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

class NullReporter final : public cleaning::RunReporter {
 public:
  void AppendLine(std::string) override {}
  void ScrollLogToEnd() override {}
  void Progress(std::uint32_t) override {}
  void Done(std::uint32_t) override {}
  bool AskYesNo(std::string_view) override { return false; }
  void ShowMessage(std::string_view) override {}
};

}  // namespace norvik::bench
