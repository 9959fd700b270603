#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/about/about_dialog.h"

#include <commctrl.h>

#include <utility>

#include "app/product.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/about/about_ids.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/main/gdi_owners.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

class AboutDialog final : public DialogBase {
 public:
  explicit AboutDialog(std::function<void()> open_home_page) : open_home_page_(std::move(open_home_page)) {}

 private:
  INT_PTR OnInitDialog() override {
    HWND dialog = hwnd();
    ::SetWindowTextW(dialog, (L"About " + Wide(app::kProductName)).c_str());
    SetItemText(IDC_ABOUT_TITLE, app::kProductName);
    ::SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, (L"Version " + Wide(app::kVersionText)).c_str());
    // No href: the click handler knows the address, and some link controls show an
    // href attribute as plain text.
    ::SetDlgItemTextW(dialog, IDC_ABOUT_LINK, (L"<a>" + Wide(app::kHomePageUrl) + L"</a>").c_str());
    // The title in a larger, bold cut of the dialog's own font.
    LOGFONTW font{};
    if (::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font)) {
      font.lfWeight = FW_BOLD;
      font.lfHeight = font.lfHeight * 3 / 2;
      title_font_.reset(::CreateFontIndirectW(&font));
      ::SendDlgItemMessageW(dialog, IDC_ABOUT_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(title_font_.get()), FALSE);
    }
    // Enter closes the box rather than following the link.
    ::SetFocus(::GetDlgItem(dialog, IDOK));
    return FALSE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_NOTIFY) {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom == IDC_ABOUT_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        if (open_home_page_) open_home_page_();
        return TRUE;
      }
    }
    return message == WM_COMMAND && EndsDialog(LOWORD(wparam)) ? TRUE : FALSE;
  }

  std::function<void()> open_home_page_;
  unique_gdi title_font_;
};

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner, std::function<void()> open_home_page) {
  AboutDialog dialog(std::move(open_home_page));
  dialog.RunModal(instance, owner, IDD_ABOUT);
}

}  // namespace norvik::ui
