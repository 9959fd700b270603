#include "app/dialogs/backup_hint.h"

namespace norvik::app::dialogs {

void BackupHint::Show() {
  position_ = 0;
  view_.SetHint(hint_);
  view_.SetBarPosition(position_);
}

void BackupHint::Tick() {
  if (ended_) return;
  if (process_.HasEnded()) {
    ended_ = true;
    view_.EndDialog(true);
    return;
  }
  // Fast at first, slower as the bar fills: the program's length is unknown.
  const int step = position_ <= 300 ? 10 : position_ <= 400 ? 5 : position_ <= 450 ? 3 : position_ <= 490 ? 2 : 1;
  if (position_ < kBackupHintBarMax) position_ += step;
  if (position_ > kBackupHintBarMax) position_ = kBackupHintBarMax;
  view_.SetBarPosition(position_);
}

void BackupHint::StopClick() {
  if (ended_) return;
  ended_ = true;
  (void)process_.Terminate();
  view_.EndDialog(false);
}

bool RunAndWait(platform::Shell& shell, Prompts& prompts, BackupHintRunner& runner, std::string_view command_line,
                std::string_view hint) {
  auto process = shell.StartHidden(command_line);
  if (!process) {
    prompts.ShowInformation(kRegeditMissing);
    return false;
  }
  const bool ok = runner.ShowBackupHint(**process, hint);
  // A dialog closed any other way (Alt+F4) must not leave the program running either.
  if (!ok && !(*process)->HasEnded()) (void)(*process)->Terminate();
  return ok;
}

}  // namespace norvik::app::dialogs
