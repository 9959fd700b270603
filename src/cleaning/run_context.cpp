#include "cleaning/run_context.h"

#include <utility>

namespace norvik::cleaning {
namespace {

constexpr auto kProgressInterval = std::chrono::seconds(2);

}  // namespace

RunContext::RunContext(platform::Platform platform, RunReporter& reporter, const RunSetup& setup,
                       std::stop_token stop, std::uint32_t counted_before)
    : platform_(platform),
      reporter_(reporter),
      kind_(setup.run_kind),
      options_(setup.options),
      folders_(setup.folders),
      os_code_(setup.os_code),
      clock_(setup.clock),
      stop_(std::move(stop)),
      counted_before_(counted_before),
      last_progress_(Now()) {}

std::chrono::steady_clock::time_point RunContext::Now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void RunContext::AppendLine(std::string line) { reporter_.AppendLine(std::move(line)); }

void RunContext::AppendDetail(std::string_view words, std::string_view target) {
  std::string line(LogPrefix());
  line += words;
  line += ' ';
  line += target;
  reporter_.AppendLine(std::move(line));
}

void RunContext::ScrollLog(int interval) {
  if (interval <= 0) {
    reporter_.ScrollLogToEnd();
    return;
  }
  const int step = IsTest() ? interval : interval / 2;
  ++scroll_counter_;
  if (step <= 1 || scroll_counter_ % static_cast<std::uint32_t>(step) == 0) {
    reporter_.ScrollLogToEnd();
    scroll_counter_ = 0;
  }
}

void RunContext::ReportWalkProgress(std::uint32_t counter) {
  const auto now = Now();
  if (now - last_progress_ <= kProgressInterval) return;
  last_progress_ = now;
  reporter_.Progress(counted_before_ + counter);
}

}  // namespace norvik::cleaning
