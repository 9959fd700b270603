#pragma once
// What the native benchmarks share: a reporter that shows nothing, and the seconds of
// each side's runs (one timed run per repetition) with their medians.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "cleaning/run_reporter.h"

namespace norvik::bench {

class NullReporter final : public cleaning::RunReporter {
 public:
  void AppendLine(std::string) override {}
  void ScrollLogToEnd() override {}
  void Progress(std::uint32_t) override {}
  void Done(std::uint32_t) override {}
  bool AskYesNo(std::string_view) override { return false; }
  void ShowMessage(std::string_view) override {}
};

class SideTimes {
 public:
  // Times `body` as the iteration's manual time and keeps it under `side`.
  template <typename Body>
  void Timed(benchmark::State& state, const std::string& side, Body body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(elapsed);
    seconds_[side].push_back(elapsed);
  }

  // 0 when the side never ran.
  double Median(const std::string& side) const {
    const auto it = seconds_.find(side);
    if (it == seconds_.end() || it->second.empty()) return 0;
    std::vector<double> v = it->second;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }

 private:
  std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace norvik::bench
