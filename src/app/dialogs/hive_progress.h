#pragma once
// The progress dialog of a registry analysis ("Defrag Registry"): a worker saves every
// hive into its copy while the bar moves on every second, following the copy in work
// as it grows. The dialog closes itself when the worker ends; the analysis counts as
// finished only when its text box reads "Finish".

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>

#include "app/worker_yard.h"
#include "defrag/hive_list.h"
#include "platform/platform.h"

namespace norvik::app::dialogs {

inline constexpr std::string_view kHiveProgressCaption = "Defrag Registry";
inline constexpr std::string_view kHiveProgressFirstLine = "Registry Key";
inline constexpr std::string_view kHiveCopiesFinished = "Finish";
inline constexpr std::string_view kHiveCopiesStopping = "Stop Process...";
// To the dialog: start the worker (posted by the dialog to itself when activated); a
// copy is complete (first parameter: the first hive's milliseconds, second: hives done);
// show the hive in work (first parameter: its index; the hive count means "Finish").
inline constexpr unsigned kWmStartHiveCopies = 0x6422;
inline constexpr unsigned kWmHiveCopied = 0x6423;
inline constexpr unsigned kWmHiveCopyShown = 0x6424;
inline constexpr int kHiveBarMax = 1000;

class HiveProgressView {
 public:
  virtual ~HiveProgressView() = default;
  virtual void HideDialog() = 0;
  virtual void SetBarPosition(int position) = 0;
  virtual void SetKeyText(std::string_view text) = 0;
  virtual void SetTimer(bool on) = 0;
  // "Stop Process..." over the bar, the Stop button disabled.
  virtual void ShowStopping() = 0;
  // From the worker's thread: queued for the dialog's thread.
  virtual void PostCopyShown(std::size_t index) = 0;
  virtual void PostCopied(std::int64_t first_ms, std::size_t done) = 0;
  virtual void PostClose() = 0;
};

struct HiveProgressSetup {
  platform::Platform platform;
  const defrag::HiveList& hives;
  bool is_wow64 = false;
  bool auto_mode = false;  // the dialog is never seen
  WorkerYard& yard;        // a worker still saving when the dialog goes
};

class HiveProgress {
 public:
  HiveProgress(HiveProgressView& view, HiveProgressSetup setup) : view_(view), setup_(setup) {}
  ~HiveProgress();
  HiveProgress(const HiveProgress&) = delete;
  HiveProgress& operator=(const HiveProgress&) = delete;

  void FormShow();
  // kWmStartHiveCopies.
  void Start();
  void CopyShown(std::size_t index);
  void Copied(std::int64_t first_ms, std::size_t done);
  void Tick();
  void StopClick();
  // The dialog is closing; a worker still running is told to stop and left to end.
  void Close();

  bool Finished() const { return finished_; }
  int Position() const { return position_; }
  std::int64_t Step() const { return step_; }

 private:
  struct Link;
  std::int64_t CopySize(std::size_t index) const;
  void SetPosition(std::int64_t position);

  HiveProgressView& view_;
  HiveProgressSetup setup_;
  std::shared_ptr<Link> link_;
  std::jthread worker_;
  std::int64_t total_ = 0;
  std::int64_t done_bytes_ = 0;
  std::int64_t step_ = 0;
  std::size_t done_count_ = 0;
  std::int64_t next_target_ = 0;
  int position_ = 0;
  bool stopped_ = false;
  bool finished_ = false;
};

}  // namespace norvik::app::dialogs
