#pragma once
// What the native benchmarks share: the seconds of each side's runs (one timed run per
// repetition) with their medians.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "bench_timing.h"

namespace norvik::bench {

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
    return it == seconds_.end() ? 0 : bench::Median(it->second);
  }

 private:
  std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace norvik::bench
