#pragma once
// The cleaning run's worker: processes the run names it was given, each through the work
// the catalogue names for it (a cleaner of the table, qolt.dat or Custom.dat) with a
// fresh RunContext, and writes the log through its reporter. It never touches a window; Execute runs on
// whatever thread the caller chooses (a std::jthread in the program, the test's own
// thread in tests).

#include <cstdint>
#include <functional>
#include <map>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/run_context.h"
#include "cleaning/run_reporter.h"
#include "platform/platform.h"

namespace norvik::cleaning {

// Log texts.
inline constexpr std::string_view kTestRemovalPhrase = "will be removed";
inline constexpr std::string_view kCleanRemovalPhrase = "to be removed";
inline constexpr std::size_t kSeparatorLength = 107;
std::string SeparatorLine();
// "12 items will be removed; 1,500 KB will be removed."
std::string ItemResultLine(std::uint32_t count, std::string_view size_text, std::string_view removal_phrase);
// "Total items will be removed = 3 ; Total files will be removed = 2 KB" (or "to be").
std::string TotalLine(bool test, std::uint32_t total_count, std::int64_t total_size);

using Cleaner = std::function<void(RunContext&)>;

// The cleaners of the catalogue's items that are code (see ItemSource). Names are
// compared exactly.
class CleanerTable {
 public:
  void Register(std::string run_name, Cleaner cleaner);
  // The registered cleaner, or nullptr.
  const Cleaner* Find(std::string_view run_name) const;

 private:
  std::map<std::string, Cleaner, std::less<>> cleaners_;
};

class TClearTaskThread {
 public:
  TClearTaskThread(platform::Platform platform, RunReporter& reporter, const CleanerTable& cleaners,
                   RunSetup setup, std::stop_token stop = {});
  TClearTaskThread(const TClearTaskThread&) = delete;
  TClearTaskThread& operator=(const TClearTaskThread&) = delete;

  // The whole run: each item's header, cleaner and result line, then the totals and
  // Done. A stop request ends it before the next item without totals or Done. An error
  // a cleaner lets escape is written as "Error: <message>" (a message of several lines
  // as several log lines) and the run goes on.
  void Execute();

  // What the run counted so far (all of it once Execute returns).
  std::uint32_t TotalCount() const { return total_count_; }
  std::int64_t TotalSize() const { return total_size_; }

 private:
  // Runs the work the catalogue names for one item.
  void RunItem(RunContext& item, const std::string& run_name);
  void FinishItem(const RunContext& item);
  // "Error: " and the message, one log line per line of it.
  void AppendErrorLines(std::string_view message);

  platform::Platform platform_;
  RunReporter& reporter_;
  const CleanerTable& cleaners_;
  RunSetup setup_;
  std::stop_token stop_;
  std::uint32_t total_count_ = 0;
  std::int64_t total_size_ = 0;
};

}  // namespace norvik::cleaning
