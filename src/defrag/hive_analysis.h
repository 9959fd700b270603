#pragma once
// What an analysis shows: the sizes of the hive files against their fresh copies, row by
// row and in total, and the checks that decide whether the copies may replace the hives.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "defrag/hive_list.h"
#include "platform/files.h"

namespace norvik::defrag {

inline constexpr std::string_view kLowFragmentationStart = "The fragment rate of your registry is only";
inline constexpr std::string_view kLowFragmentationAdvice =
    "We suggest that your registry does not need to be compacted at this time. If you select to compact the "
    "registry now, the same fragment rate may appear again.";
// Below this percentage compacting is not worth a restart.
inline constexpr float kWorthwhilePercent = 3.0f;

struct HiveSizes {
  std::int64_t current = 0;  // the hive file
  std::int64_t copy = 0;     // its fresh copy; 0 when missing
};

struct HiveRowTexts {
  std::string current;
  std::string copy;
  std::string reduction;  // "12%"
  friend bool operator==(const HiveRowTexts&, const HiveRowTexts&) = default;
};

struct AnalysisTexts {
  std::vector<HiveRowTexts> rows;
  std::string current_total;  // the four labels, in their order on the page
  std::string new_total;
  std::string size_reduction;
  std::string compact_percent;  // "2.5%"
  bool low_fragmentation = false;
};

// The sizes of every hive file and its copy as they are on disk now.
std::vector<HiveSizes> MeasureHives(platform::Files& files, const HiveList& hives);

AnalysisTexts DescribeAnalysis(const std::vector<HiveSizes>& sizes);

// "The fragment rate of your registry is only 2.5%. We suggest ..."
std::string LowFragmentationMessage(std::string_view compact_percent);

// A saved hive is never below a quarter of its file: anything smaller is a failed or
// cut-off copy.
inline bool CopyLooksWhole(const HiveSizes& s) { return s.copy > 0 && s.copy >= s.current / 4; }

// The first SOFTWARE hive whose copy fails that check (the one check an analysis makes).
std::optional<std::size_t> FirstShortSoftwareCopy(const HiveList& hives, const std::vector<HiveSizes>& sizes);
// The first hive of any kind whose copy is missing or fails that check: with one, no hive
// may be replaced.
std::optional<std::size_t> FirstUnusableCopy(const std::vector<HiveSizes>& sizes);

// Progress bar units (of 1000) that one second of copying at the first hive's speed covers:
// `copy_bytes` written in `first_ms` out of `total_bytes`, kept between 10 and 50.
std::int64_t ProgressStep(std::int64_t copy_bytes, std::int64_t first_ms, std::int64_t total_bytes, bool is_wow64);

}  // namespace norvik::defrag
