#pragma once
// Timing shared by the benchmarks that time themselves: one run's seconds, and the
// median of several.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

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

}  // namespace norvik::bench
