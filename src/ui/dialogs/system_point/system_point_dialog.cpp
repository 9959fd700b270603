#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/system_point/system_point_dialog.h"

#include <commctrl.h>

#include "app/dialogs/system_point.h"
#include "app/product.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/dialogs/system_point/system_point_ids.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

constexpr UINT_PTR kBarTimer = 1;

class SystemPointDialog final : public DialogBase, public app::dialogs::SystemPointView {
 public:
  SystemPointDialog(platform::System& system, app::WorkerYard& yard, bool unattended)
      : point_(*this, system, yard, unattended) {}

  // SystemPointView
  void SetBarPosition(int position) override {
    ::SendDlgItemMessageW(hwnd(), IDC_SP_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
  void PostResult(bool failed) override {
    ::PostMessageW(hwnd(), app::dialogs::kWmRestorePointResult, 0, failed ? 1 : 0);
  }
  bool AskYesNo(std::string_view question) override {
    return ::MessageBoxW(hwnd(), Wide(question).c_str(), Wide(app::kProductName).c_str(),
                         MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) == IDYES;
  }
  void PostClose() override { ::PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

 private:
  INT_PTR OnInitDialog() override {
    // The title line in bold.
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfWeight = FW_BOLD;
    bold_ = ::CreateFontIndirectW(&font);
    ::SendDlgItemMessageW(hwnd(), IDC_SP_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    ::SendDlgItemMessageW(hwnd(), IDC_SP_PROGRESS, PBM_SETRANGE32, 0, app::dialogs::kSystemPointBarMax);
    ::SetTimer(hwnd(), kBarTimer, 1000, nullptr);
    point_.Show();
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    switch (message) {
      case app::dialogs::kWmRestorePointResult:
        point_.ResultMessage(lparam == 1);
        return TRUE;
      case WM_TIMER:
        if (wparam == kBarTimer) point_.Tick();
        return TRUE;
      case WM_CLOSE:
        ::KillTimer(hwnd(), kBarTimer);
        ::EndDialog(hwnd(), point_.Close() ? IDOK : IDCANCEL);
        return TRUE;
      case WM_COMMAND:
        // Escape closes it as Alt+F4 does.
        if (LOWORD(wparam) == IDCANCEL) ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        return TRUE;
      case WM_DESTROY:
        if (bold_) ::DeleteObject(bold_);
        bold_ = nullptr;
        return FALSE;
      default:
        return FALSE;
    }
  }

  app::dialogs::SystemPoint point_;
  HFONT bold_ = nullptr;
};

}  // namespace

bool ShowSystemPointDialog(HINSTANCE instance, HWND owner, platform::System& system, app::WorkerYard& yard,
                           bool unattended) {
  SystemPointDialog dialog(system, yard, unattended);
  return dialog.RunModal(instance, owner, IDD_SYSTEM_POINT) == IDOK;
}

}  // namespace norvik::ui
