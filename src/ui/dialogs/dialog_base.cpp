#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/dialog_base.h"

#include "app/product.h"
#include "platform/win32/wide_text.h"

namespace norvik::ui {

using platform::win32::Narrow;
using platform::win32::Wide;

void ShowUnexpectedError(HWND owner, const char* what) {
  const std::wstring text = L"An unexpected error occurred:\n" + Wide(what ? what : "");
  const std::wstring caption = Wide(app::kProductName);
  ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, HWND owner, int template_id) {
  instance_ = instance;
  return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(template_id), owner, Proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::Proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<DialogBase*>(lparam);
    ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    self->hwnd_ = dialog;
    return ShowingErrors<INT_PTR>(dialog, FALSE, [&] { return self->OnInitDialog(); });
  }
  // Messages before WM_INITDIALOG (WM_SETFONT ...) find nothing bound yet.
  auto* self = reinterpret_cast<DialogBase*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  return ShowingErrors<INT_PTR>(dialog, FALSE, [&] { return self->OnMessage(message, wparam, lparam); });
}

INT_PTR DialogBase::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  return message == WM_COMMAND ? OnCommand(LOWORD(wparam), HIWORD(wparam)) : FALSE;
}

bool DialogBase::EndsDialog(int id, bool may_accept) const {
  if (id != IDOK && id != IDCANCEL) return false;
  if (id == IDCANCEL || may_accept) ::EndDialog(hwnd_, id);
  return true;
}

bool DialogBase::RefusesOk(int id, std::string_view why) const {
  if (id != IDOK || why.empty()) return false;
  ::MessageBoxW(hwnd_, Wide(why).c_str(), Wide(app::kProductName).c_str(), MB_OK | MB_ICONINFORMATION);
  return true;
}

std::string DialogBase::ItemText(int id) const {
  const HWND control = ::GetDlgItem(hwnd_, id);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

void DialogBase::SetItemText(int id, std::string_view text) const {
  ::SetDlgItemTextW(hwnd_, id, Wide(text).c_str());
}

void DialogBase::Enable(int id, bool enabled) const {
  ::EnableWindow(::GetDlgItem(hwnd_, id), enabled ? TRUE : FALSE);
}

void DialogBase::Show(std::initializer_list<int> ids, bool visible) const {
  for (int id : ids) ::ShowWindow(::GetDlgItem(hwnd_, id), visible ? SW_SHOW : SW_HIDE);
}

}  // namespace norvik::ui
