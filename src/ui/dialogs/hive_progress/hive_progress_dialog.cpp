#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/hive_progress/hive_progress_dialog.h"

#include <commctrl.h>

#include <string>

#include "ui/dialogs/dialog_base.h"
#include "ui/dialogs/hive_progress/hive_progress_ids.h"
#include "ui/main/captioned_bar.h"

namespace norvik::ui {
namespace {

namespace hp = app::dialogs;

constexpr UINT_PTR kBarTimer = 1;

class HiveProgressDialog final : public DialogBase, public hp::HiveProgressView {
 public:
  explicit HiveProgressDialog(const hp::HiveProgressSetup& setup) : progress_(*this, setup) {}

  // HiveProgressView
  void HideDialog() override { ::ShowWindow(hwnd(), SW_HIDE); }
  void SetBarPosition(int position) override {
    ::SendDlgItemMessageW(hwnd(), IDC_HP_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    bar_.SetCaption(std::to_string(position * 100 / hp::kHiveBarMax) + "%");
  }
  void SetKeyText(std::string_view text) override { SetItemText(IDC_HP_KEY, text); }
  void SetTimer(bool on) override {
    if (on) {
      ::SetTimer(hwnd(), kBarTimer, 1000, nullptr);
    } else {
      ::KillTimer(hwnd(), kBarTimer);
    }
  }
  void ShowStopping() override {
    SetItemText(IDC_HP_LABEL, hp::kHiveCopiesStopping);
    Enable(IDC_HP_STOP, false);
  }
  void PostCopyShown(std::size_t index) override {
    ::PostMessageW(hwnd(), hp::kWmHiveCopyShown, static_cast<WPARAM>(index), 0);
  }
  void PostCopied(std::int64_t first_ms, std::size_t done) override {
    ::PostMessageW(hwnd(), hp::kWmHiveCopied, static_cast<WPARAM>(first_ms), static_cast<LPARAM>(done));
  }
  void PostClose() override { ::PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

 private:
  INT_PTR OnInitDialog() override {
    SetItemText(IDC_HP_KEY, hp::kHiveProgressFirstLine);
    ::SendDlgItemMessageW(hwnd(), IDC_HP_PROGRESS, PBM_SETRANGE32, 0, hp::kHiveBarMax);
    bar_.Attach(::GetDlgItem(hwnd(), IDC_HP_PROGRESS));
    bar_.SetFont(reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    progress_.FormShow();
    // Started once the dialog runs its own message loop.
    ::PostMessageW(hwnd(), hp::kWmStartHiveCopies, 0, 0);
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    switch (message) {
      case hp::kWmStartHiveCopies:
        progress_.Start();
        return TRUE;
      case hp::kWmHiveCopyShown:
        progress_.CopyShown(static_cast<std::size_t>(wparam));
        return TRUE;
      case hp::kWmHiveCopied:
        progress_.Copied(static_cast<std::int64_t>(wparam), static_cast<std::size_t>(lparam));
        return TRUE;
      case WM_TIMER:
        if (wparam == kBarTimer) progress_.Tick();
        return TRUE;
      case WM_CLOSE:
        progress_.Close();
        ::EndDialog(hwnd(), progress_.Finished() ? IDOK : IDCANCEL);
        return TRUE;
      case WM_COMMAND:
        // Escape stops as the button does; the dialog closes when the worker has ended.
        if ((LOWORD(wparam) == IDC_HP_STOP || LOWORD(wparam) == IDCANCEL) && ::IsWindowEnabled(::GetDlgItem(hwnd(), IDC_HP_STOP))) {
          progress_.StopClick();
        }
        return TRUE;
      default:
        return FALSE;
    }
  }

  hp::HiveProgress progress_;
  CaptionedBar bar_;
};

}  // namespace

bool ShowHiveProgressDialog(HINSTANCE instance, HWND owner, const app::dialogs::HiveProgressSetup& setup) {
  HiveProgressDialog dialog(setup);
  return dialog.RunModal(instance, owner, IDD_HIVE_PROGRESS) == IDOK;
}

}  // namespace norvik::ui
