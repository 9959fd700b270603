#pragma once
// The cleaning run's worker: processes the run names it was given, one cleaner per name,
// and writes the log through its reporter. It never touches a window; Execute runs on
// whatever thread the caller chooses (a std::jthread in the program, the test's own
// thread in tests).

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/run_reporter.h"
#include "platform/platform.h"

namespace norvik::cleaning {

// RunKind values.
inline constexpr int kRunPreparedClean = 0;
inline constexpr int kRunAutomaticClean = 1;
inline constexpr int kRunTest = 2;
inline constexpr int kRunCleanRequest = 3;

// Log texts.
inline constexpr std::string_view kTestPrefix = "Test: ";
inline constexpr std::string_view kCleanPrefix = "Clean: ";
inline constexpr std::string_view kTestRemovalPhrase = "will be removed";
inline constexpr std::string_view kCleanRemovalPhrase = "to be removed";
inline constexpr std::size_t kSeparatorLength = 107;
std::string SeparatorLine();
// "12 items will be removed; 1,500 KB will be removed."
std::string ItemResultLine(std::uint32_t count, std::string_view size_text, std::string_view removal_phrase);
// "Total items will be removed = 3 ; Total files will be removed = 2 KB" (or "to be").
std::string TotalLine(bool test, std::uint32_t total_count, std::int64_t total_size);

// The settings a run reads, copied when it starts so the window may change the record
// while the worker runs.
struct RunOptions {
  bool FastScan = true;
  bool IsWipeFile = false;
  int WipeNumber = 1;
  bool ShowLogTempInternetFiles = false;
  bool ShowLogRecycleBin = false;
};

class TClearTaskThread;
using Cleaner = std::function<void(TClearTaskThread&)>;

// Which cleaner serves a run name. Names are compared exactly.
class CleanerTable {
 public:
  enum class Source { CustomList, OwnCleaner, QoltList };

  // Gives a run name of the built-in catalogue its own cleaner.
  void Register(std::string run_name, Cleaner cleaner);

  // Custom list items read Custom.dat; names of the catalogue that have a cleaner of
  // their own use it (nothing happens while it is not registered); everything else
  // (Applications, the toolbars, Windows Log Files, ICQ, AIM) reads qolt.dat.
  Source SourceOf(std::string_view run_name) const;
  // The registered cleaner, or nullptr.
  const Cleaner* Find(std::string_view run_name) const;

 private:
  std::map<std::string, Cleaner, std::less<>> cleaners_;
};

// The catalogue names whose cleaner is their own code rather than a definitions file.
bool HasOwnCleaner(std::string_view run_name);

using Clock = std::function<std::chrono::steady_clock::time_point()>;

// Everything a worker is handed when it is created.
struct RunSetup {
  std::vector<std::string> item_names;
  int run_kind = kRunTest;
  RunOptions options;
  std::string program_folder;  // with its trailing backslash: Custom.dat, qolt.dat
  std::uint8_t os_code = 12;   // GetOsCode, for the administrators rule
  Clock clock;                 // steady_clock::now when empty
};

class TClearTaskThread {
 public:
  TClearTaskThread(platform::Platform platform, RunReporter& reporter, const CleanerTable& cleaners,
                   RunSetup setup, std::stop_token stop = {});
  TClearTaskThread(const TClearTaskThread&) = delete;
  TClearTaskThread& operator=(const TClearTaskThread&) = delete;

  // The whole run: each item's header, cleaner and result line, then the totals and
  // Done. A stop request ends it before the next item without totals or Done. An error
  // a cleaner lets escape is written as "Error: <message>" and the run goes on.
  void Execute();

  // Fields of the run, read and written by the cleaners.
  std::vector<std::string> ItemNames;
  int RunKind = kRunTest;
  std::string LogPrefix;
  std::string RemovalPhrase;
  int ItemIndex = -1;
  std::uint32_t ItemCount = 0;
  std::int64_t ItemSize = 0;
  std::string ItemSizeText = "0";
  std::string ItemWorkText;
  std::chrono::steady_clock::time_point LastProgressTime;
  std::uint32_t ScrollCounter = 0;
  std::uint32_t TotalCount = 0;
  std::int64_t TotalSize = 0;

  bool IsTest() const { return RunKind == kRunTest; }
  bool Stopped() const { return stop_.stop_requested(); }
  platform::Platform& platform() { return platform_; }
  RunReporter& reporter() { return reporter_; }
  const RunOptions& options() const { return options_; }
  const std::string& ProgramFolder() const { return program_folder_; }
  std::uint8_t OsCode() const { return os_code_; }
  std::chrono::steady_clock::time_point Now() const;
  // The item's byte total and its kilobyte text together.
  void SetItemSize(std::int64_t bytes);

  // Runs the cleaner the table chooses for one run name.
  void RunCleaner(const std::string& run_name);

 private:
  void StartItem(int index);
  void FinishItem();

  platform::Platform platform_;
  RunReporter& reporter_;
  const CleanerTable& cleaners_;
  RunOptions options_;
  std::string program_folder_;
  std::uint8_t os_code_;
  Clock clock_;
  std::stop_token stop_;
};

}  // namespace norvik::cleaning
