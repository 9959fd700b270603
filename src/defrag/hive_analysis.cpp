#include "defrag/hive_analysis.h"

#include <cmath>
#include <cstdio>

#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::defrag {
namespace {

std::string Percent(std::int64_t value) { return std::to_string(value) + "%"; }

// One decimal, halves rounded away from zero, as the single-precision value stands.
std::string OneDecimalPercent(float value) {
  const double tenths = std::floor(static_cast<double>(value) * 10.0 + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", tenths / 10.0);
  return text;
}

}  // namespace

std::vector<HiveSizes> MeasureHives(platform::Files& files, const HiveList& hives) {
  std::vector<HiveSizes> sizes;
  for (const auto& file : hives.files) {
    sizes.push_back({static_cast<std::int64_t>(core::FileSizeOf(files, file)),
                     static_cast<std::int64_t>(core::FileSizeOf(files, CopyOf(file)))});
  }
  return sizes;
}

AnalysisTexts DescribeAnalysis(const std::vector<HiveSizes>& sizes) {
  AnalysisTexts out;
  std::int64_t total = 0;
  std::int64_t fresh = 0;
  for (const auto& s : sizes) {
    total += s.current;
    fresh += s.copy;
    // An empty hive file has nothing to gain (and nothing to divide by).
    const bool gain = s.copy <= s.current && s.current > 0;
    out.rows.push_back({core::FormatSizeKB(s.current), core::FormatSizeKB(s.copy),
                        Percent(gain ? (s.current - s.copy) * 100 / s.current : 0)});
  }
  out.current_total = core::FormatSizeKB(total);
  out.new_total = core::FormatSizeKB(fresh);
  out.size_reduction = core::FormatSizeKB(fresh <= total ? total - fresh : 0);
  if (fresh > total || total == 0) {
    out.compact_percent = "0%";
    return out;
  }
  const auto percent = static_cast<float>(static_cast<double>((total - fresh) * 100) / static_cast<double>(total));
  out.compact_percent = OneDecimalPercent(percent);
  out.low_fragmentation = percent < kWorthwhilePercent;
  return out;
}

std::string LowFragmentationMessage(std::string_view compact_percent) {
  return std::string(kLowFragmentationStart) + " " + std::string(compact_percent) + ". " +
         std::string(kLowFragmentationAdvice);
}

std::optional<std::size_t> FirstShortSoftwareCopy(const HiveList& hives, const std::vector<HiveSizes>& sizes) {
  for (std::size_t i = 0; i < hives.size() && i < sizes.size(); ++i) {
    if (platform::UpperCase(hives.files[i]).find("SOFTWARE") == std::string::npos) continue;
    if (sizes[i].copy < sizes[i].current / 4) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> FirstUnusableCopy(const std::vector<HiveSizes>& sizes) {
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (!CopyLooksWhole(sizes[i])) return i;
  }
  return std::nullopt;
}

std::int64_t ProgressStep(std::int64_t copy_bytes, std::int64_t first_ms, std::int64_t total_bytes, bool is_wow64) {
  std::int64_t step = 40;
  if (first_ms != 0 && total_bytes > 0) {
    step = copy_bytes * 1'000'000 / (first_ms * total_bytes);
    if (step < 10) {
      step += 10;
    } else if (step < 30) {
      step = step * 2 - 10;
    }
    if (step > 50) step = 50;
  }
  // A 32-bit process on 64-bit Windows copies more slowly.
  if (is_wow64) step = step / 2 - 3;
  return step;
}

}  // namespace norvik::defrag
