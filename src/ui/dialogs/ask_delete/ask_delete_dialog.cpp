#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/ask_delete/ask_delete_dialog.h"

#include <utility>

#include "ui/dialogs/ask_delete/ask_delete_ids.h"
#include "ui/dialogs/dialog_base.h"

namespace norvik::ui {
namespace {

class AskDeleteDialog final : public DialogBase {
 public:
  explicit AskDeleteDialog(std::function<void(bool)> check_clicked) : check_clicked_(std::move(check_clicked)) {}

 private:
  INT_PTR OnInitDialog() override {
    ::SendDlgItemMessageW(hwnd(), IDC_ASK_DELETE_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_QUESTION))), 0);
    SetItemText(IDC_ASK_DELETE_QUESTION, "Are you sure you want to start to clean the selected item?");
    SetItemText(IDC_ASK_DELETE_PROCEED, "Are you sure you wish to proceed?");
    // Enter answers "&OK", as the default button says.
    ::SetFocus(::GetDlgItem(hwnd(), IDOK));
    return FALSE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM) override {
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wparam);
    if (id == IDC_ASK_DELETE_DONT_SHOW && HIWORD(wparam) == BN_CLICKED) {
      if (check_clicked_) check_clicked_(::IsDlgButtonChecked(hwnd(), IDC_ASK_DELETE_DONT_SHOW) == BST_CHECKED);
      return TRUE;
    }
    return EndsDialog(id) ? TRUE : FALSE;
  }

  std::function<void(bool)> check_clicked_;
};

}  // namespace

bool ShowAskDeleteDialog(HINSTANCE instance, HWND owner, std::function<void(bool)> check_clicked) {
  AskDeleteDialog dialog(std::move(check_clicked));
  return dialog.RunModal(instance, owner, IDD_ASK_DELETE) == IDOK;
}

}  // namespace norvik::ui
