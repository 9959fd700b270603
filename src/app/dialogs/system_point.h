#pragma once
// The restore point dialog ("Create System Point"): a worker asks System Restore for a
// restore point while the dialog's bar moves on every second. The caller goes on when
// it ends with OK and stops when it ends with Cancel.

#include <memory>
#include <string_view>
#include <thread>

#include "app/worker_yard.h"
#include "platform/system.h"

namespace norvik::app::dialogs {

inline constexpr std::string_view kSystemPointCaption = "Create System Point";
inline constexpr std::string_view kRestorePointDescription = "Made by Norvik Cleaner";
inline constexpr std::string_view kRestorePointFailed = "Restore Point creation Failed! Contiue to fix?";
// The worker's report to the dialog: second parameter 0 made, 1 failed.
inline constexpr unsigned kWmRestorePointResult = 21522;
inline constexpr int kSystemPointBarMax = 100;

class SystemPointView {
 public:
  virtual ~SystemPointView() = default;
  virtual void SetBarPosition(int position) = 0;
  // From the worker's thread: queues kWmRestorePointResult for the dialog's thread,
  // which hands it to SystemPoint::ResultMessage.
  virtual void PostResult(bool failed) = 0;
  // Yes/No, No the default.
  virtual bool AskYesNo(std::string_view question) = 0;
  // Closes the dialog (WM_CLOSE); it ends with the result set so far.
  virtual void PostClose() = 0;
};

class SystemPoint {
 public:
  // `unattended`: nobody is there to answer, so a failed restore point does not stop
  // the fix (every fix still writes its backup file first).
  SystemPoint(SystemPointView& view, platform::System& system, WorkerYard& yard, bool unattended = false)
      : view_(view), system_(system), yard_(yard), unattended_(unattended) {}
  // A worker still running when the dialog goes is handed to the yard.
  ~SystemPoint();
  SystemPoint(const SystemPoint&) = delete;
  SystemPoint& operator=(const SystemPoint&) = delete;

  // On show: the worker starts.
  void Show();
  // kWmRestorePointResult.
  void ResultMessage(bool failed);
  // The one-second timer.
  void Tick();
  // The dialog is closing (Alt+F4 included). True when it ends with OK.
  bool Close();
  int Position() const { return position_; }

 private:
  struct Link;
  SystemPointView& view_;
  platform::System& system_;
  WorkerYard& yard_;
  bool unattended_;
  std::shared_ptr<Link> link_;
  std::jthread worker_;
  int position_ = 0;
  bool done_ = false;
  bool ok_ = false;
};

}  // namespace norvik::app::dialogs
