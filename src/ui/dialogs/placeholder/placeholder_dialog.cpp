#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/placeholder/placeholder_dialog.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/dialogs/placeholder/placeholder_ids.h"

namespace norvik::ui {
namespace {

class PlaceholderDialog final : public DialogBase {
 public:
  PlaceholderDialog(std::string_view caption, std::string_view text) : caption_(caption), text_(text) {}

 private:
  INT_PTR OnInitDialog() override {
    ::SetWindowTextW(hwnd(), platform::win32::Wide(caption_).c_str());
    SetItemText(IDC_PLACEHOLDER_TEXT, text_);
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM) override {
    return message == WM_COMMAND && EndsDialog(LOWORD(wparam)) ? TRUE : FALSE;
  }

  std::string caption_;
  std::string text_;
};

}  // namespace

void ShowPlaceholderDialog(HINSTANCE instance, HWND owner, std::string_view caption, std::string_view text) {
  PlaceholderDialog dialog(caption, text);
  dialog.RunModal(instance, owner, IDD_PLACEHOLDER);
}

}  // namespace norvik::ui
