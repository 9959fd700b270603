#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/main/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <exception>
#include <utility>

#include "app/main_window.h"
#include "platform/win32/wide_text.h"
#include "ui/main/gdi_owners.h"
#include "ui/main/res/resource.h"

namespace norvik::ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

// Longest path the save dialog may hand back (the \\?\ limit).
constexpr DWORD kMaxPathChars = 32768;

struct AboutState {
  std::function<void()> open_home_page;
  unique_gdi title_font;
};

INT_PTR HandleAbout(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<AboutState*>(lparam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      ::SetWindowTextW(dialog, (L"About " + Wide(app::kProductName)).c_str());
      ::SetDlgItemTextW(dialog, IDC_ABOUT_TITLE, Wide(app::kProductName).c_str());
      ::SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, (L"Version " + Wide(app::kVersionText)).c_str());
      const std::wstring url = Wide(app::kHomePageUrl);
      // No href: the click handler knows the address, and some link controls show an
      // href attribute as plain text.
      ::SetDlgItemTextW(dialog, IDC_ABOUT_LINK, (L"<a>" + url + L"</a>").c_str());
      // The title in a larger, bold cut of the dialog's own font.
      LOGFONTW font{};
      if (::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font)) {
        font.lfWeight = FW_BOLD;
        font.lfHeight = font.lfHeight * 3 / 2;
        state->title_font.reset(::CreateFontIndirectW(&font));
        ::SendDlgItemMessageW(dialog, IDC_ABOUT_TITLE, WM_SETFONT,
                              reinterpret_cast<WPARAM>(state->title_font.get()), FALSE);
      }
      // Enter closes the box rather than following the link.
      ::SetFocus(::GetDlgItem(dialog, IDOK));
      return FALSE;
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom == IDC_ABOUT_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        auto* state = reinterpret_cast<AboutState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (state != nullptr && state->open_home_page) state->open_home_page();
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        ::EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return ShowingErrors<INT_PTR>(dialog, FALSE, [&] { return HandleAbout(dialog, message, wparam, lparam); });
}

INT_PTR HandleAskDelete(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      ::SendDlgItemMessageW(dialog, IDC_ASK_DELETE_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_QUESTION))), 0);
      ::SetDlgItemTextW(dialog, IDC_ASK_DELETE_QUESTION, L"Are you sure you want to start to clean the selected item?");
      ::SetDlgItemTextW(dialog, IDC_ASK_DELETE_PROCEED, L"Are you sure you wish to proceed?");
      // Enter answers "&OK", as the default button says.
      ::SetFocus(::GetDlgItem(dialog, IDOK));
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDC_ASK_DELETE_DONT_SHOW && HIWORD(wparam) == BN_CLICKED) {
        const auto* check_clicked = reinterpret_cast<const std::function<void(bool)>*>(
            ::GetWindowLongPtrW(dialog, DWLP_USER));
        const bool checked = ::IsDlgButtonChecked(dialog, IDC_ASK_DELETE_DONT_SHOW) == BST_CHECKED;
        if (check_clicked != nullptr && *check_clicked) (*check_clicked)(checked);
        return TRUE;
      }
      if (id == IDOK || id == IDCANCEL) {
        ::EndDialog(dialog, id);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK AskDeleteProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return ShowingErrors<INT_PTR>(dialog, FALSE, [&] { return HandleAskDelete(dialog, message, wparam, lparam); });
}

struct PlaceholderText {
  std::wstring caption;
  std::wstring text;
};

INT_PTR CALLBACK PlaceholderProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const PlaceholderText*>(lparam);
      ::SetWindowTextW(dialog, texts->caption.c_str());
      ::SetDlgItemTextW(dialog, IDC_PLACEHOLDER_TEXT, texts->text.c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        ::EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void ShowUnexpectedError(HWND owner, const char* what) {
  const std::wstring text = L"An unexpected error occurred:\n" + Wide(what ? what : "");
  const std::wstring caption = Wide(app::kProductName);
  ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

std::wstring DialogFilter(std::string_view filter) {
  std::wstring result = Wide(filter);
  for (wchar_t& c : result) {
    if (c == L'|') c = L'\0';
  }
  // One NUL ends the last part, a second ends the list.
  result.push_back(L'\0');
  result.push_back(L'\0');
  return result;
}

std::optional<std::string> ChooseSaveFile(HWND owner, std::string_view title, std::string_view filter) {
  const std::wstring wide_title = Wide(title);
  const std::wstring wide_filter = DialogFilter(filter);
  std::wstring path(kMaxPathChars, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = wide_filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = kMaxPathChars;
  ofn.lpstrTitle = wide_title.c_str();
  // No default extension and no overwrite prompt: the caller decides both.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!::GetSaveFileNameW(&ofn)) return std::nullopt;
  path.resize(wcsnlen(path.c_str(), path.size()));
  return Narrow(path);
}

void ShowAboutBox(HINSTANCE instance, HWND owner, std::function<void()> open_home_page) {
  AboutState state{std::move(open_home_page), unique_gdi()};
  ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc,
                    reinterpret_cast<LPARAM>(&state));
}

bool ShowAskDeleteDialog(HINSTANCE instance, HWND owner, std::function<void(bool)> check_clicked) {
  return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ASK_DELETE), owner, AskDeleteProc,
                           reinterpret_cast<LPARAM>(&check_clicked)) == IDOK;
}

void ShowPlaceholderDialog(HINSTANCE instance, HWND owner, std::wstring_view caption, std::wstring_view text) {
  PlaceholderText texts{std::wstring(caption), std::wstring(text)};
  ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PLACEHOLDER), owner, PlaceholderProc,
                    reinterpret_cast<LPARAM>(&texts));
}

}  // namespace norvik::ui
