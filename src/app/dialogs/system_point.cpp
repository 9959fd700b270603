#include "app/dialogs/system_point.h"

#include <mutex>

namespace norvik::app::dialogs {

// What the worker reports through: cut when the dialog goes before the worker is done,
// so a late report reaches nothing.
struct SystemPoint::Link {
  std::mutex mutex;
  SystemPointView* view;
};

SystemPoint::~SystemPoint() {
  if (link_) {
    std::lock_guard lock(link_->mutex);
    link_->view = nullptr;
  }
  if (worker_.joinable()) yard_.Keep(std::move(worker_));
}

void SystemPoint::Show() {
  done_ = false;
  ok_ = false;
  link_ = std::make_shared<Link>();
  link_->view = &view_;
  worker_ = std::jthread([link = link_, &system = system_] {
    const bool made = system.CreateRestorePoint(kRestorePointDescription).ok();
    std::lock_guard lock(link->mutex);
    if (link->view != nullptr) link->view->PostResult(!made);
  });
}

void SystemPoint::ResultMessage(bool failed) {
  if (done_) return;
  ok_ = !failed || unattended_ || view_.AskYesNo(kRestorePointFailed);
  done_ = true;
  view_.PostClose();
}

void SystemPoint::Tick() {
  if (position_ >= kSystemPointBarMax) return;
  position_ += position_ <= 30 ? 10 : position_ <= 50 ? 5 : position_ <= 60 ? 3 : position_ <= 80 ? 2 : 1;
  view_.SetBarPosition(position_);
}

bool SystemPoint::Close() {
  if (!done_ && link_) {
    // Closed before the answer came: the call cannot be interrupted, so the worker is
    // left to finish on its own and its answer goes nowhere.
    std::lock_guard lock(link_->mutex);
    link_->view = nullptr;
    done_ = true;
    ok_ = false;
  }
  return ok_;
}

}  // namespace norvik::app::dialogs
