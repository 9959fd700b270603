// The main window's messages and the view operations the shell calls.

#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/main/control_ids.h"
#include "ui/main/dpi.h"
#include "ui/main/main_frame.h"
#include "ui/main/subclass.h"
#include "ui/main/res/resource.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

constexpr DWORD kFrameStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_CONTROLPARENT;

// Messages a page passes on to the main window: the notifications of its controls.
bool IsForwardedToFrame(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CONTEXTMENU:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return true;
    default:
      return false;
  }
}

}  // namespace

MainFrame::MainFrame(HINSTANCE instance) : instance_(instance), controls_(instance) {}

MainFrame::~MainFrame() {
  // The controls use our fonts and image lists: they must go first. The controller may
  // already be gone, so nothing reaches it any more.
  controller_ = nullptr;
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool MainFrame::RegisterWindowClass(HINSTANCE instance) {
  const std::wstring class_name = Wide(app::kWindowClassName);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_NORVIK), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                             LR_SHARED));
  wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_NORVIK), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = class_name.c_str();
  return ::RegisterClassExW(&wc) != 0;
}

bool MainFrame::Create() {
  const std::wstring class_name = Wide(app::kWindowClassName);
  const std::wstring caption = Wide(app::kWindowCaption);
  HWND hwnd = ::CreateWindowExW(kFrameExStyle, class_name.c_str(), caption.c_str(), kFrameStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, app::kClientWidth, app::kClientHeight,
                                nullptr, nullptr, instance_, this);
  if (hwnd == nullptr) return false;
  background_.RememberExStyle();
  // The first activation puts the keyboard in the item tree.
  saved_focus_ = cleaner_.tree();
  // Only now is the window's monitor, and so its DPI, known.
  const SIZE size = WindowSizeForClient(Scale(app::kClientWidth, dpi_), Scale(app::kClientHeight, dpi_),
                                        kFrameStyle, kFrameExStyle, dpi_);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  return true;
}

void MainFrame::Attach(app::MainWindow& controller) {
  controller_ = &controller;
  cleaner_.Attach(controller.cleaner());
  registry_.Attach(controller.registry());
  tools_.Attach(controller.tools());
  defrag_.Attach(controller.defrag());
}

// ---------------------------------------------------------------------------------------
// Window procedures. Exceptions stop here: the user sees what went wrong, the program
// goes on.

LRESULT CALLBACK MainFrame::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    self->dpi_ = WindowDpi(hwnd);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (message == WM_GETMINMAXINFO) {
    // Arrives before WM_NCCREATE too.
    const UINT dpi = WindowDpi(hwnd);
    auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
    info->ptMinTrackSize.x = Scale(app::kMinWindowWidth, dpi);
    info->ptMinTrackSize.y = Scale(app::kMinWindowHeight, dpi);
    return 0;
  }
  auto* self = reinterpret_cast<MainFrame*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return ShowingErrors<LRESULT>(hwnd, 0, [&] { return self->HandleMessage(message, wparam, lparam); });
}

LRESULT MainFrame::PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* self_ptr) {
  auto* self = static_cast<MainFrame*>(self_ptr);
  if (message == WM_ERASEBKGND) {
    // A group box paints only its frame; what lies inside is ours to clear.
    RECT rect{};
    ::GetClientRect(hwnd, &rect);
    ::FillRect(reinterpret_cast<HDC>(wparam), &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  if (IsForwardedToFrame(message) && self->hwnd_ != nullptr) {
    return ::SendMessageW(self->hwnd_, message, wparam, lparam);
  }
  return CallOriginalProc(hwnd, message, wparam, lparam);
}

// ---------------------------------------------------------------------------------------

PageView* MainFrame::PageOf(int id) const {
  for (PageView* page : pages_) {
    if (page->Owns(id)) return page;
  }
  return nullptr;
}

LRESULT MainFrame::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      ApplyDpi();
      return 0;

    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) Layout();
      return 0;

    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;

    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETNONCLIENTMETRICS) {
        ApplyDpi();
        Layout(true);
      }
      break;

    case WM_ERASEBKGND: {
      // Below the band only: the band is painted in WM_PAINT without a flash of grey.
      RECT rect{};
      ::GetClientRect(hwnd_, &rect);
      rect.top = TitleHeight();
      ::FillRect(reinterpret_cast<HDC>(wparam), &rect, ::GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }

    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(hwnd_, &paint);
      title_strip_.Paint(dc, paint.rcPaint, title_icon_.get(), AsFont(title_font_), AsFont(font_),
                         AsFont(link_font_));
      ::EndPaint(hwnd_, &paint);
      return 0;
    }

    case WM_LBUTTONUP:
      if (OnTitleClick(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})) return 0;
      break;

    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wparam) == hwnd_ && LOWORD(lparam) == HTCLIENT) {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(hwnd_, &point);
        if (title_strip_.HitTest(point) != TitleStrip::Hit::kNone) {
          ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
          return TRUE;
        }
      }
      break;

    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      return OnCtlColor(message, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));

    case WM_TIMER:
      if (wparam == ids::kScheduleTimer && controller_ != nullptr) controller_->Timer2Tick();
      if (PageView* page = PageOf(static_cast<int>(wparam))) page->OnTimer(static_cast<int>(wparam));
      return 0;

    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlType == ODT_BUTTON) {
        DrawSideButton(item);
        return TRUE;
      }
      break;
    }

    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (PageView* page = PageOf(id)) {
        page->OnCommand(id, HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      } else {
        OnCommand(id, HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      }
      return 0;
    }

    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      PageView* page = PageOf(static_cast<int>(header.idFrom));
      return page != nullptr ? page->OnNotify(header) : 0;
    }

    case WM_CONTEXTMENU: {
      const HWND control = reinterpret_cast<HWND>(wparam);
      PageView* page = PageOf(::GetDlgCtrlID(control));
      if (page != nullptr && page->OnContextMenu(control, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})) {
        return 0;
      }
      break;
    }

    case WM_ACTIVATE:
      if (OnActivate(wparam)) return 0;
      break;

    case WM_CLOSE:
      // The window closes even when saving went wrong.
      if (controller_ != nullptr) {
        ShowingErrors<bool>(hwnd_, false, [&] {
          controller_->FormClose();
          return true;
        });
      }
      ::DestroyWindow(hwnd_);
      return 0;

    case WM_QUERYENDSESSION:
      return controller_ == nullptr || controller_->QueryEndSession() ? TRUE : FALSE;

    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MINIMIZE && controller_ != nullptr) {
        controller_->MinimiseToTray(lparam == 1);
        return 0;
      }
      break;

    case WM_HOTKEY:
      if (controller_ != nullptr) controller_->HotkeyMessage(wparam);
      return 0;

    case WM_DESTROY:
      background_.RemoveIconIfShown();
      ::PostQuitMessage(0);
      return 0;

    default:
      if (HandleProgramMessage(message, wparam, lparam)) return 0;
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

bool MainFrame::HandleProgramMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (controller_ == nullptr) return false;
  switch (message) {
    case app::kWmShowMain:
      controller_->ShowMainWindow();
      return true;
    case app::kWmTrayIcon:
      controller_->TrayIconMessage(static_cast<unsigned>(lparam));
      return true;
    case app::kWmAutoClean:
      controller_->AutoCleanMessage();
      return true;
    case app::kWmUnattendedDefrag:
      controller_->UnattendedDefragMessage();
      return true;
    case app::kWmUnattendedRegistryReport:
      controller_->UnattendedRegistryReportMessage();
      return true;
    default:
      for (PageView* page : pages_) {
        if (page->OnMessage(message, wparam, lparam)) return true;
      }
      return false;
  }
}

bool MainFrame::OnActivate(WPARAM wparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    // Keep the keyboard user's place across dialogs and task switches.
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(hwnd_, focus)) saved_focus_ = focus;
    return true;
  }
  if (controller_ != nullptr) controller_->FormActivate();
  if (saved_focus_ != nullptr && ::IsWindow(saved_focus_) && ::IsChild(hwnd_, saved_focus_) && !HIWORD(wparam)) {
    ::SetFocus(saved_focus_);
    return true;
  }
  return false;
}

void MainFrame::OnCommand(int id, int code, HWND control) {
  if (controller_ == nullptr) return;
  if (control != nullptr && code == BN_CLICKED && id > ids::kSideButtonBase && id < ids::kPageBase) {
    const int tag = id - ids::kSideButtonBase;
    if (tag == app::kTagOptions) {
      controller_->OptionsClick();
    } else if (tag == app::kTagHelp) {
      controller_->HelpClick();
    } else {
      controller_->FlatButtonClick(tag);
    }
    return;
  }
  if (control == nullptr && code == 0) {
    switch (id) {
      case ids::kMenuOnlineHelp: controller_->OpenHelpPage(); return;
      case ids::kMenuHomepage: controller_->OpenHomePage(); return;
      case ids::kMenuCheckForUpdate: controller_->OpenUpdatePage(); return;
      case ids::kMenuAbout: controller_->AboutClick(); return;
      case ids::kMenuTrayOpen: controller_->ShowMainWindow(); return;
      case ids::kMenuTrayExit: controller_->TrayExitClick(); return;
      default: return;
    }
  }
}

bool MainFrame::OnTitleClick(POINT client) {
  if (controller_ == nullptr) return false;
  switch (title_strip_.HitTest(client)) {
    case TitleStrip::Hit::kHome:
      controller_->OpenHomePage();
      return true;
    case TitleStrip::Hit::kUpdate:
      controller_->OpenUpdatePage();
      return true;
    case TitleStrip::Hit::kNone:
      return false;
  }
  return false;
}

LRESULT MainFrame::OnCtlColor(UINT message, HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  if (PageView* page = PageOf(id)) {
    if (HBRUSH brush = page->OnCtlColor(dc, control)) return reinterpret_cast<LRESULT>(brush);
  }
  return ::DefWindowProcW(hwnd_, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void MainFrame::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  ApplyDpi();
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

}  // namespace norvik::ui
