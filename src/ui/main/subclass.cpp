#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/main/subclass.h"

namespace norvik::ui {
namespace {

struct Hook {
  WNDPROC original;
  SubclassProc proc;
  void* self;
};

Hook* HookOf(HWND control) { return reinterpret_cast<Hook*>(::GetWindowLongPtrW(control, GWLP_USERDATA)); }

LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Hook* hook = HookOf(hwnd);
  if (message != WM_NCDESTROY) return hook->proc(hwnd, message, wparam, lparam, hook->self);
  // The control's last message: it gets its own procedure back for it, then the hook goes.
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook->original));
  ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  const LRESULT result = ::CallWindowProcW(hook->original, hwnd, message, wparam, lparam);
  delete hook;
  return result;
}

}  // namespace

void Subclass(HWND control, SubclassProc proc, void* self) {
  if (control == nullptr) return;
  auto* hook = new Hook{nullptr, proc, self};
  ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hook));
  hook->original = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Thunk)));
}

LRESULT CallOriginalProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::CallWindowProcW(HookOf(control)->original, control, message, wparam, lparam);
}

}  // namespace norvik::ui
