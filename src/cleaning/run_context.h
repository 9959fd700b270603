#pragma once
// What a cleaner and the deletion primitives see of the run they work in, one item at a
// time: the kind of run, its options, the platform, the item's count and bytes, the log
// and the stop flag. The run's worker makes a fresh context for every item, so a cleaner
// starts from zero and cannot reach the run's other items, its totals or its end.
//
//   void MyCleaner(RunContext& worker) {
//     if (worker.Stopped()) return;
//     std::int64_t bytes = DeleteFolderContents(worker, folder, false, true, "", worker.ItemCount);
//     worker.SetItemSize(bytes);
//     if (!worker.IsTest()) ...;               // a Test changes nothing, ever
//   }

#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/run_reporter.h"
#include "core/file_folders.h"
#include "platform/platform.h"

namespace norvik::cleaning {

enum class RunKind {
  PreparedClean,   // the deleting pass that follows a Clean's counting pass
  AutomaticClean,  // a Clean nobody watches: no notices
  Test,            // lists and counts, changes nothing
  CleanRequest,    // the Clean button: the window first runs a counting Test
};

inline constexpr std::string_view kTestPrefix = "Test: ";
inline constexpr std::string_view kCleanPrefix = "Clean: ";

// The settings a run reads, copied when it starts so the window may change the record
// while the worker runs.
struct RunOptions {
  bool FastScan = true;  // no detail lines
  bool IsWipeFile = false;
  int WipeNumber = 1;
  bool ShowLogTempInternetFiles = false;
  bool ShowLogRecycleBin = false;
};

using Clock = std::function<std::chrono::steady_clock::time_point()>;

// Everything a run is started with.
struct RunSetup {
  std::vector<std::string> item_names = {};  // read by the worker only
  RunKind run_kind = RunKind::Test;
  RunOptions options = {};
  core::FileFolders folders = {};   // qolt.dat in `program`; Custom.dat, Cookies.ini in `data`
  std::uint8_t os_code = 12;        // GetOsCode, for the administrators rule
  Clock clock = {};                 // steady_clock::now when empty
};

class RunContext {
 public:
  // `counted_before`: the items the run's earlier items counted, for progress reports.
  RunContext(platform::Platform platform, RunReporter& reporter, const RunSetup& setup, std::stop_token stop = {},
             std::uint32_t counted_before = 0);
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // The run.
  RunKind kind() const { return kind_; }
  bool IsTest() const { return kind_ == RunKind::Test; }
  const RunOptions& options() const { return options_; }
  platform::Platform& platform() { return platform_; }
  bool Stopped() const { return stop_.stop_requested(); }
  const core::FileFolders& Folders() const { return folders_; }
  std::uint8_t OsCode() const { return os_code_; }

  // The item's tally: the primitives add to the counter they are handed, usually this.
  std::uint32_t ItemCount = 0;
  std::int64_t ItemSize() const { return item_size_; }
  void SetItemSize(std::int64_t bytes) { item_size_ = bytes; }

  // The log. "Test: " or "Clean: ".
  std::string_view LogPrefix() const { return IsTest() ? kTestPrefix : kCleanPrefix; }
  void AppendLine(std::string line);
  // A detail line: prefix, `words`, a space and `target`.
  void AppendDetail(std::string_view words, std::string_view target);
  // Scrolls the log to its end now (interval 0) or every interval/2 calls in a deleting
  // run and every interval calls in a test.
  void ScrollLog(int interval);
  // After each file a walk counts: a progress report of the run's count so far plus
  // `counter` when more than two seconds passed since the last one.
  void ReportWalkProgress(std::uint32_t counter);

  // Questions wait for the window's answer; No when it has gone or the run was cancelled.
  bool AskYesNo(std::string_view question) { return reporter_.AskYesNo(question); }
  void ShowMessage(std::string_view text) { reporter_.ShowMessage(text); }

 private:
  std::chrono::steady_clock::time_point Now() const;

  platform::Platform platform_;
  RunReporter& reporter_;
  RunKind kind_;
  RunOptions options_;
  core::FileFolders folders_;
  std::uint8_t os_code_;
  Clock clock_;
  std::stop_token stop_;
  std::uint32_t counted_before_;
  std::int64_t item_size_ = 0;
  std::uint32_t scroll_counter_ = 0;
  std::chrono::steady_clock::time_point last_progress_;
};

}  // namespace norvik::cleaning
