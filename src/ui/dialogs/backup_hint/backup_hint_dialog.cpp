#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/backup_hint/backup_hint_dialog.h"

#include <commctrl.h>

#include <string>

#include "app/dialogs/backup_hint.h"
#include "ui/dialogs/backup_hint/backup_hint_ids.h"
#include "ui/dialogs/dialog_base.h"

namespace norvik::ui {
namespace {

constexpr UINT_PTR kPollTimer = 1;

class BackupHintDialog final : public DialogBase, public app::dialogs::BackupHintView {
 public:
  BackupHintDialog(platform::Process& process, std::string_view hint) : hint_(*this, process, std::string(hint)) {}

  // BackupHintView
  void SetHint(std::string_view text) override { SetItemText(IDC_BH_HINT, text); }
  void SetBarPosition(int position) override {
    ::SendDlgItemMessageW(hwnd(), IDC_BH_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
  void EndDialog(bool ok) override {
    ::KillTimer(hwnd(), kPollTimer);
    ::EndDialog(hwnd(), ok ? IDOK : IDCANCEL);
  }

 private:
  INT_PTR OnInitDialog() override {
    ::SendDlgItemMessageW(hwnd(), IDC_BH_PROGRESS, PBM_SETRANGE32, 0, app::dialogs::kBackupHintBarMax);
    hint_.Show();
    ::SetTimer(hwnd(), kPollTimer, app::dialogs::kBackupHintTickMs, nullptr);
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM) override {
    if (message == WM_TIMER && wparam == kPollTimer) {
      hint_.Tick();
      return TRUE;
    }
    // Alt+F4 and Escape stop the program as "Stop" does: none outlives the wait.
    if (message == WM_COMMAND && (LOWORD(wparam) == IDC_BH_STOP || LOWORD(wparam) == IDCANCEL)) {
      hint_.StopClick();
      return TRUE;
    }
    return FALSE;
  }

  app::dialogs::BackupHint hint_;
};

}  // namespace

bool ShowBackupHint(HINSTANCE instance, HWND owner, platform::Process& process, std::string_view hint) {
  BackupHintDialog dialog(process, hint);
  return dialog.RunModal(instance, owner, IDD_BACKUP_HINT) == IDOK;
}

}  // namespace norvik::ui
