#include "app/dialogs/hive_progress.h"

#include <mutex>

#include "core/utility_routines.h"
#include "defrag/hive_analysis.h"
#include "defrag/hive_copy_task.h"

namespace norvik::app::dialogs {

// What the worker reports through: cut when the dialog goes, so that a late report
// reaches nothing.
struct HiveProgress::Link final : defrag::HiveCopySink {
  std::mutex mutex;
  HiveProgressView* view = nullptr;

  void CopyStarted(std::size_t index) override {
    std::lock_guard lock(mutex);
    if (view != nullptr) view->PostCopyShown(index);
  }
  void CopyDone(std::int64_t first_ms, std::size_t done) override {
    std::lock_guard lock(mutex);
    if (view != nullptr) view->PostCopied(first_ms, done);
  }
  void Finished(bool complete) override {
    std::lock_guard lock(mutex);
    if (view == nullptr) return;
    if (complete) view->PostCopyShown(kAllShown);
    view->PostClose();
  }
  static constexpr std::size_t kAllShown = static_cast<std::size_t>(-1);
};

HiveProgress::~HiveProgress() {
  if (link_) {
    std::lock_guard lock(link_->mutex);
    link_->view = nullptr;
  }
  if (worker_.joinable()) {
    worker_.request_stop();
    setup_.yard.Keep(std::move(worker_));
  }
}

void HiveProgress::FormShow() {
  position_ = 0;
  view_.SetBarPosition(0);
  total_ = done_bytes_ = step_ = next_target_ = 0;
  done_count_ = 0;
  stopped_ = finished_ = false;
}

void HiveProgress::Start() {
  if (link_) return;  // activated again after a message box
  if (setup_.auto_mode) view_.HideDialog();
  link_ = std::make_shared<Link>();
  link_->view = &view_;
  for (const auto& file : setup_.hives.files) {
    total_ += static_cast<std::int64_t>(core::FileSizeOf(setup_.platform.files, file));
  }
  worker_ = std::jthread([link = link_, platform = setup_.platform, hives = setup_.hives,
                          wow64 = setup_.is_wow64](std::stop_token stop) {
    defrag::CopyHives(platform, hives, wow64, stop, *link);
  });
  view_.SetTimer(true);
}

void HiveProgress::CopyShown(std::size_t index) {
  if (index < setup_.hives.size()) {
    view_.SetKeyText(setup_.hives.names[index]);
  } else {
    finished_ = true;
    view_.SetKeyText(kHiveCopiesFinished);
  }
}

std::int64_t HiveProgress::CopySize(std::size_t index) const {
  return static_cast<std::int64_t>(
      core::FileSizeOf(setup_.platform.files, defrag::CopyOf(setup_.hives.files[index])));
}

void HiveProgress::SetPosition(std::int64_t position) {
  position_ = static_cast<int>(position);
  view_.SetBarPosition(position_);
}

void HiveProgress::Copied(std::int64_t first_ms, std::size_t done) {
  const std::size_t count = setup_.hives.size();
  if (done_count_ >= count) return;
  if (done_count_ == 0) step_ = defrag::ProgressStep(CopySize(0), first_ms, total_, setup_.is_wow64);
  done_bytes_ += static_cast<std::int64_t>(core::FileSizeOf(setup_.platform.files, setup_.hives.files[done_count_]));
  // With every hive file empty there is nothing to measure against.
  if (total_ > 0) SetPosition(done_bytes_ * kHiveBarMax / total_);
  if (done_count_ + 1 < count && total_ > 0) {
    const auto next = static_cast<std::int64_t>(
        core::FileSizeOf(setup_.platform.files, setup_.hives.files[done_count_ + 1]));
    next_target_ = (next + done_bytes_) * kHiveBarMax / total_;
  }
  done_count_ = done;
}

void HiveProgress::Tick() {
  if (done_count_ >= setup_.hives.size() || total_ <= 0) return;
  const std::int64_t copy = CopySize(done_count_);
  if (copy != 0) {
    SetPosition((copy + done_bytes_) * kHiveBarMax / total_);
  } else if (next_target_ - step_ > position_) {
    SetPosition(position_ + step_);
  }
  if (position_ >= kHiveBarMax) view_.SetTimer(false);
}

void HiveProgress::StopClick() {
  stopped_ = true;
  view_.ShowStopping();
  view_.SetTimer(false);
  worker_.request_stop();
}

void HiveProgress::Close() {
  if (link_) {
    // A hive save cannot be interrupted: the worker skips the rest and its reports go
    // nowhere; the yard waits for it.
    if (!stopped_) worker_.request_stop();
    std::lock_guard lock(link_->mutex);
    link_->view = nullptr;
  }
  view_.SetTimer(false);
}

}  // namespace norvik::app::dialogs
