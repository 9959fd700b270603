#include "ui/main/shell_background.h"

#include <shellapi.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/main/control_ids.h"
#include "ui/main/controls.h"
#include "ui/main/gdi_owners.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

NOTIFYICONDATAW IconRecord(HWND hwnd) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd;
  data.uID = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(hwnd));
  return data;
}

struct ClassSweep {
  const std::array<std::string_view, 5>* classes;
  HWND own;
  int show_command;
};

BOOL CALLBACK ShowIfBrowser(HWND window, LPARAM param) {
  const auto& sweep = *reinterpret_cast<const ClassSweep*>(param);
  wchar_t name[256] = {};
  if (window == sweep.own || ::GetClassNameW(window, name, 255) == 0) return TRUE;
  for (std::string_view cls : *sweep.classes) {
    if (Wide(cls) == name) ::ShowWindow(window, sweep.show_command);
  }
  return TRUE;  // every window, to the end
}

}  // namespace

void ShellBackground::AddTrayIcon(std::string_view tip) {
  NOTIFYICONDATAW data = IconRecord(hwnd_);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = app::kWmTrayIcon;
  data.hIcon = reinterpret_cast<HICON>(::GetClassLongPtrW(hwnd_, GCLP_HICONSM));
  const std::wstring text = Wide(tip);
  text.copy(data.szTip, std::size(data.szTip) - 1);
  if (::Shell_NotifyIconW(NIM_ADD, &data)) icon_shown_ = true;
}

void ShellBackground::RemoveTrayIcon() {
  NOTIFYICONDATAW data = IconRecord(hwnd_);
  ::Shell_NotifyIconW(NIM_DELETE, &data);
  icon_shown_ = false;
}

void ShellBackground::MinimiseTowardsTray() {
  // A tool window has no taskbar button, so none is left behind while it shrinks away.
  ::SetWindowLongW(hwnd_, GWL_EXSTYLE, saved_ex_style_ | WS_EX_TOOLWINDOW);
  // The minimise animation heads for the notification area, when there is one.
  if (HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
    if (HWND notify = ::FindWindowExW(tray, nullptr, L"TrayNotifyWnd", nullptr)) {
      RECT rect{};
      WINDOWPLACEMENT placement{};
      placement.length = sizeof(placement);
      if (::GetWindowRect(notify, &rect) && ::GetWindowPlacement(hwnd_, &placement)) {
        placement.flags |= WPF_SETMINPOSITION;
        placement.ptMinPosition = POINT{rect.left, rect.top};
        ::SetWindowPlacement(hwnd_, &placement);
      }
    }
  }
  ::DefWindowProcW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ::SetWindowLongW(hwnd_, GWL_EXSTYLE, saved_ex_style_);
  ::ShowWindow(hwnd_, SW_HIDE);
}

void ShellBackground::RestoreFromTray() {
  ::ShowWindow(hwnd_, SW_SHOW);
  if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
  ::SetWindowLongW(hwnd_, GWL_EXSTYLE, saved_ex_style_);
  ::SetForegroundWindow(hwnd_);
}

void ShellBackground::SelectFirstLogLine() {
  // The log sits on the cleaner page, a child of a child.
  struct Find {
    static BOOL CALLBACK Visit(HWND child, LPARAM param) {
      if (::GetDlgCtrlID(child) != ids::kLog) return TRUE;
      *reinterpret_cast<HWND*>(param) = child;
      return FALSE;
    }
  };
  HWND log = nullptr;
  ::EnumChildWindows(hwnd_, Find::Visit, reinterpret_cast<LPARAM>(&log));
  if (log != nullptr && ::IsWindowVisible(log) && ::SendMessageW(log, LB_GETCOUNT, 0, 0) > 0) {
    ::SendMessageW(log, LB_SETCURSEL, 0, 0);
  }
}

void ShellBackground::PopupTrayMenu() {
  unique_hmenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuTrayOpen, L"&Open");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuOnlineHelp, L"Online &Help");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuTrayExit, L"&Exit");
  PopupMenuAtCursor(hwnd_, menu.get());
}

std::uint16_t ShellBackground::AddAtom(std::string_view name) { return ::GlobalAddAtomW(Wide(name).c_str()); }
std::uint16_t ShellBackground::FindAtom(std::string_view name) { return ::GlobalFindAtomW(Wide(name).c_str()); }

void ShellBackground::ShowTopLevelWindowsOf(const std::array<std::string_view, 5>& classes, bool show) {
  ClassSweep sweep{&classes, hwnd_, show ? SW_SHOW : SW_HIDE};
  ::EnumWindows(ShowIfBrowser, reinterpret_cast<LPARAM>(&sweep));
}

void ShellBackground::SetScheduleTimer(bool enabled, unsigned interval_ms) {
  if (enabled) {
    ::SetTimer(hwnd_, ids::kScheduleTimer, interval_ms, nullptr);
  } else {
    ::KillTimer(hwnd_, ids::kScheduleTimer);
  }
}

}  // namespace norvik::ui
