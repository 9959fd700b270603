#pragma once
// Running a system program (the registry editor) hidden while a small progress dialog
// ("TfrmBackupHint") waits for it: the dialog polls the program every 500 ms on the
// window's thread, and "Stop" ends it. No started program outlives the wait.

#include <string>
#include <string_view>

#include "app/prompts.h"
#include "platform/system.h"

namespace norvik::app::dialogs {

inline constexpr std::string_view kRegeditMissing = "Please check if Regedit.exe exists.";
inline constexpr int kBackupHintBarMax = 500;
inline constexpr unsigned kBackupHintTickMs = 500;

class BackupHintView {
 public:
  virtual ~BackupHintView() = default;
  virtual void SetHint(std::string_view text) = 0;
  virtual void SetBarPosition(int position) = 0;
  // Ends the modal dialog with OK or Cancel.
  virtual void EndDialog(bool ok) = 0;
};

class BackupHint {
 public:
  BackupHint(BackupHintView& view, platform::Process& process, std::string hint)
      : view_(view), process_(process), hint_(std::move(hint)) {}

  void Show();
  // The 500 ms timer: OK once the program has ended, else the bar moves on.
  void Tick();
  // "Stop": the program is ended and the dialog cancelled.
  void StopClick();
  int Position() const { return position_; }

 private:
  BackupHintView& view_;
  platform::Process& process_;
  std::string hint_;
  int position_ = 0;
  bool ended_ = false;
};

// Shows the progress dialog modally over `process`; true when it closed with OK.
class BackupHintRunner {
 public:
  virtual ~BackupHintRunner() = default;
  virtual bool ShowBackupHint(platform::Process& process, std::string_view hint) = 0;
};

// Starts `command_line` hidden and waits under the progress dialog. True when the
// program ended by itself; false when it could not start (the user is told) or was
// stopped.
bool RunAndWait(platform::Shell& shell, Prompts& prompts, BackupHintRunner& runner, std::string_view command_line,
                std::string_view hint);

}  // namespace norvik::app::dialogs
