// The main window's messages and the view operations the controller calls.

#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/win32/wide_text.h"
#include "ui/main/control_ids.h"
#include "ui/main/custom_list_dialogs.h"
#include "ui/main/dialogs.h"
#include "ui/main/dpi.h"
#include "ui/main/main_frame.h"
#include "ui/main/res/resource.h"

namespace norvik::ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

constexpr DWORD kFrameStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_CONTROLPARENT;
// Posted to ourselves: lParam is a section tree item to expand again.
constexpr UINT kWmReopenSection = WM_APP + 1;

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 500;
// Short enough that the log follows the run closely; WM_TIMER comes only when input and
// painting are done, so a busy run never makes the window sluggish.
constexpr UINT_PTR kRunEventTimer = 2;
constexpr UINT kRunEventInterval = 30;

bool IsTitleControl(int id) {
  return id == ids::kTitleImage || id == ids::kTitleIcon || id == ids::kTitle || id == ids::kTitleHint ||
         id == ids::kUpdateLink;
}

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

MainFrame::MainFrame(HINSTANCE instance) : instance_(instance) {}

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
  // The first activation puts the keyboard in the item tree.
  saved_focus_ = clean_tree_.hwnd();
  // Only now is the window's monitor, and so its DPI, known.
  const SIZE size = WindowSizeForClient(Scale(app::kClientWidth, dpi_), Scale(app::kClientHeight, dpi_),
                                        kFrameStyle, kFrameExStyle, dpi_);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  return true;
}

void MainFrame::Attach(app::MainWindow& controller) {
  controller_ = &controller;
  const std::vector<app::Tree> pending = std::move(pending_rebuilds_);
  for (const app::Tree tree : pending) RebuildTree(tree);
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

LRESULT CALLBACK MainFrame::PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                     DWORD_PTR self_ptr) {
  auto* self = reinterpret_cast<MainFrame*>(self_ptr);
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, PageProc, 0);
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
  return ::DefSubclassProc(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK MainFrame::TreeProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                     DWORD_PTR self_ptr) {
  auto* self = reinterpret_cast<MainFrame*>(self_ptr);
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, TreeProc, 0);
  return ShowingErrors<LRESULT>(self->hwnd_, 0,
                                [&] { return self->HandleTreeMessage(hwnd, message, wparam, lparam); });
}

LRESULT CALLBACK MainFrame::CleanBarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                         DWORD_PTR self_ptr) {
  const auto* self = reinterpret_cast<const MainFrame*>(self_ptr);
  switch (message) {
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, CleanBarProc, 0);
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(hwnd, &paint);
      self->PaintCleanBar(hwnd, dc);
      ::EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      self->PaintCleanBar(hwnd, reinterpret_cast<HDC>(wparam));
      return 0;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wparam, lparam);
}

// ---------------------------------------------------------------------------------------

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
        Layout();
      }
      break;

    case WM_ERASEBKGND: {
      // Below the band only: the band is painted in WM_PAINT without a flash of grey.
      HDC dc = reinterpret_cast<HDC>(wparam);
      RECT rect{};
      ::GetClientRect(hwnd_, &rect);
      rect.top = TitleHeight();
      ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }

    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(hwnd_, &paint);
      PaintTitleBand(dc, POINT{0, 0});
      ::EndPaint(hwnd_, &paint);
      return 0;
    }

    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));

    case WM_CTLCOLORLISTBOX:
      return OnCtlColorListBox(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));

    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wparam));
      return 0;

    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlType == ODT_BUTTON) {
        DrawSideButton(item);
        return TRUE;
      }
      break;
    }

    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;

    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));

    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wparam) == Control(ids::kLog)) {
        POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        if (point.x == -1 && point.y == -1) {
          // From the keyboard: open at the list's corner.
          RECT rect{};
          ::GetWindowRect(Control(ids::kLog), &rect);
          point = POINT{rect.left + 8, rect.top + 8};
        }
        PopupLogMenu(point);
        return 0;
      }
      break;

    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        // Keep the keyboard user's place across dialogs and task switches.
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(hwnd_, focus)) saved_focus_ = focus;
        return 0;
      }
      if (controller_ != nullptr) controller_->FormActivate();
      if (saved_focus_ != nullptr && ::IsWindow(saved_focus_) && ::IsChild(hwnd_, saved_focus_) &&
          !HIWORD(wparam)) {
        ::SetFocus(saved_focus_);
        return 0;
      }
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

    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;

    case kWmReopenSection:
      ::SendMessageW(section_tree_.hwnd(), TVM_EXPAND, TVE_EXPAND, lparam);
      return 0;

    default:
      if (controller_ == nullptr) break;
      if (message == app::kWmShowMain) {
        controller_->ShowMainWindow();
        return 0;
      }
      if (message == app::kWmAutoClean) {
        controller_->AutoCleanMessage();
        return 0;
      }
      if (message == app::kWmCleanProgress) {
        controller_->CleanProgressMessage(static_cast<std::uintptr_t>(wparam));
        return 0;
      }
      if (message == app::kWmCleanDone) {
        controller_->CleanDoneMessage(static_cast<std::uintptr_t>(wparam));
        return 0;
      }
      if (message == app::kWmCleanPrepared) {
        controller_->CleanPreparedMessage();
        return 0;
      }
      if (message == app::kWmUnattendedDefrag) {
        controller_->UnattendedDefragMessage();
        return 0;
      }
      if (message == app::kWmUnattendedRegistryReport) {
        controller_->UnattendedRegistryReportMessage();
        return 0;
      }
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

void MainFrame::OnCommand(int id, int code, HWND control) {
  if (controller_ == nullptr) return;
  const bool from_menu = control == nullptr && code == 0;
  const bool clicked = control != nullptr && code == BN_CLICKED;
  const bool static_clicked = control != nullptr && code == STN_CLICKED;

  if (clicked && id > ids::kSideButtonBase && id < ids::kPageBase) {
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
  if (clicked) {
    switch (id) {
      case ids::kFastMode:
        controller_->FastModeClick(::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
        return;
      case ids::kTest: controller_->TestClick(); return;
      case ids::kClean: controller_->CleanClick(); return;
      case ids::kScan: controller_->ScanClick(); return;
      default: return;
    }
  }
  if (static_clicked) {
    if (id == ids::kTitle || id == ids::kTitleIcon) controller_->OpenHomePage();
    if (id == ids::kUpdateLink) controller_->OpenUpdatePage();
    return;
  }
  if (from_menu) {
    switch (id) {
      case ids::kMenuOnlineHelp: controller_->OpenHelpPage(); return;
      case ids::kMenuHomepage: controller_->OpenHomePage(); return;
      case ids::kMenuCheckForUpdate: controller_->OpenUpdatePage(); return;
      case ids::kMenuAbout: controller_->AboutClick(); return;
      case ids::kMenuSaveLog: controller_->SaveLogClick(); return;
      default: return;
    }
  }
}

LRESULT MainFrame::OnNotify(const NMHDR& header) {
  if (controller_ == nullptr || static_cast<int>(header.idFrom) != ids::kSections) return 0;
  // The A and W forms share the fields read here.
  const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
  const bool collapsing = (change.action & TVE_COLLAPSE) != 0;
  if (header.code == TVN_ITEMEXPANDINGW || header.code == TVN_ITEMEXPANDINGA) {
    // Nonzero refuses the change.
    return collapsing && !app::MainWindow::SectionTreeMayCollapse() ? TRUE : FALSE;
  }
  if ((header.code == TVN_ITEMEXPANDEDW || header.code == TVN_ITEMEXPANDEDA) && collapsing &&
      !app::MainWindow::SectionTreeMayCollapse()) {
    // Some tree controls collapse anyway: open the node again once the control is done.
    ::PostMessageW(hwnd_, kWmReopenSection, 0, reinterpret_cast<LPARAM>(change.itemNew.hItem));
  }
  return 0;
}

LRESULT MainFrame::OnCtlColorStatic(HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  if (!IsTitleControl(id) || ::GetParent(control) != hwnd_) {
    return ::DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
  }
  // The label's own share of the band, then its text on top without a background.
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
  PaintTitleBand(dc, POINT{rect.left, rect.top});
  ::SetTextColor(dc, RGB(255, 255, 255));
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT MainFrame::OnCtlColorListBox(HDC dc, HWND control) {
  if (control != Control(ids::kLog)) {
    return ::DefWindowProcW(hwnd_, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
  }
  ::SetTextColor(dc, log_text_color_);
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
}

void MainFrame::OnTimer(UINT_PTR id) {
  if (controller_ == nullptr) return;
  if (id == kTimer1) controller_->Timer1Tick();
  if (id == kRunEventTimer) controller_->DrainRunEvents();
}

void MainFrame::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  ApplyDpi();
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

// ---------------------------------------------------------------------------------------
// Trees: a press on an item goes to the controller with what was hit, then the control
// does its usual selecting.

CheckTreeControl& MainFrame::TreeControl(app::Tree tree) {
  return tree == app::Tree::CleanItems ? clean_tree_ : section_tree_;
}

void MainFrame::ForwardTreeClick(app::Tree tree, std::optional<app::NodeId> node, app::TreeHit hit) {
  if (controller_ == nullptr) return;
  if (tree == app::Tree::CleanItems) {
    controller_->CleanTreeMouseDown(node, hit);
  } else {
    controller_->SectionTreeMouseDown(node, hit);
  }
}

LRESULT MainFrame::HandleTreeMessage(HWND tree_hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const app::Tree tree =
      tree_hwnd == clean_tree_.hwnd() ? app::Tree::CleanItems : app::Tree::RegistrySections;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // What was hit is taken before the control acts (a click on a button moves the
      // items below it). The control's own handling comes first: it tracks the mouse
      // until the button is released, which must not happen behind a dialog the
      // controller opens. A quick second click on a check box is a second toggle, not a
      // double click.
      const CheckTreeControl::Hit hit =
          TreeControl(tree).HitTest(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      LRESULT result = 0;
      if (message == WM_LBUTTONDOWN || hit.where != app::TreeHit::StateIcon) {
        result = ::DefSubclassProc(tree_hwnd, message, wparam, lparam);
      }
      ForwardTreeClick(tree, hit.node, hit.where);
      return result;
    }
    case WM_KEYDOWN:
      if (wparam == VK_SPACE) {
        if (const auto node = TreeControl(tree).Selected()) ForwardTreeClick(tree, node, app::TreeHit::StateIcon);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wparam == L' ') return 0;  // handled as a key press; no incremental search
      break;
    default:
      break;
  }
  return ::DefSubclassProc(tree_hwnd, message, wparam, lparam);
}

// ---------------------------------------------------------------------------------------
// app::MainWindowView

void MainFrame::SetSideButtonSelected(int tag, bool selected) {
  side_selected_[tag] = selected;
  if (HWND button = Control(ids::SideButton(tag))) ::InvalidateRect(button, nullptr, TRUE);
}

void MainFrame::SetPageVisible(int tag, bool visible) {
  if (HWND page = Page(tag)) ::ShowWindow(page, visible ? SW_SHOW : SW_HIDE);
}

void MainFrame::RebuildTree(app::Tree tree) {
  if (controller_ == nullptr) {
    pending_rebuilds_.push_back(tree);
    return;
  }
  // The sections never collapse, so they are shown fully open.
  TreeControl(tree).Rebuild(controller_->TreeOf(tree), tree == app::Tree::RegistrySections);
}

void MainFrame::RefreshTreeChecks(app::Tree tree) {
  if (controller_ != nullptr) TreeControl(tree).RefreshChecks(controller_->TreeOf(tree));
}

bool MainFrame::IsNodeExpanded(app::Tree tree, app::NodeId id) { return TreeControl(tree).IsExpanded(id); }

void MainFrame::ExpandNode(app::Tree tree, app::NodeId id) { TreeControl(tree).Expand(id); }

void MainFrame::ScrollCleanTreeToTop() { clean_tree_.ScrollToTop(); }

void MainFrame::SetFastModeChecked(bool checked) {
  ::SendMessageW(Control(ids::kFastMode), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::size_t MainFrame::LogLineCount() {
  const auto count = ::SendMessageW(Control(ids::kLog), LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<std::size_t>(count);
}

std::vector<std::string> MainFrame::LogLines() {
  HWND log = Control(ids::kLog);
  std::vector<std::string> lines;
  const auto count = ::SendMessageW(log, LB_GETCOUNT, 0, 0);
  if (count == LB_ERR) return lines;
  lines.reserve(static_cast<std::size_t>(count));
  std::wstring text;
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = ::SendMessageW(log, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length == LB_ERR) continue;
    text.assign(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = ::SendMessageW(log, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    lines.push_back(Narrow(text));
  }
  return lines;
}

void MainFrame::ClearLog() {
  HWND log = Control(ids::kLog);
  ::SendMessageW(log, LB_RESETCONTENT, 0, 0);
  // The old lines' width would leave a scroll bar over an empty list.
  ::SendMessageW(log, LB_SETHORIZONTALEXTENT, 0, 0);
}

void MainFrame::AppendLogLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  HWND log = Control(ids::kLog);
  std::vector<std::wstring> wide;
  wide.reserve(lines.size());
  std::size_t chars = 0;
  for (const std::string& line : lines) {
    wide.push_back(Wide(line));
    chars += wide.back().size() + 1;
  }
  // One allocation for the batch, and one repaint after it instead of one per line.
  ::SendMessageW(log, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(log, LB_INITSTORAGE, wide.size(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
  for (const std::wstring& line : wide) {
    ::SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  ::SendMessageW(log, WM_SETREDRAW, TRUE, 0);
  // The scroll bars changed unseen too.
  ::RedrawWindow(log, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void MainFrame::ScrollLogToEnd() {
  HWND log = Control(ids::kLog);
  const auto count = ::SendMessageW(log, LB_GETCOUNT, 0, 0);
  // The list stops at its last full page by itself.
  if (count > 0) ::SendMessageW(log, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

void MainFrame::SetLogDoubleBuffered(bool) {
  // A list box has no buffered painting of its own, and WS_EX_COMPOSITED is ignored for
  // child windows once the desktop is composited. Lines already arrive in batches with
  // redrawing held off, which is what keeps the list from flickering.
}

std::uint32_t MainFrame::LogTextColor() { return log_text_color_; }

std::uint32_t MainFrame::LogBackgroundColor() { return ::GetSysColor(COLOR_WINDOW); }

void MainFrame::SetLogTextColor(std::uint32_t colour) {
  if (log_text_color_ == colour) return;
  log_text_color_ = colour;
  ::InvalidateRect(Control(ids::kLog), nullptr, TRUE);
}

void MainFrame::FitLogHorizontalExtent() {
  HWND log = Control(ids::kLog);
  const auto count = ::SendMessageW(log, LB_GETCOUNT, 0, 0);
  if (count == LB_ERR) return;
  HDC dc = ::GetDC(log);
  if (dc == nullptr) return;
  HGDIOBJ old_font = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(log, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  std::wstring text;
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = ::SendMessageW(log, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length <= 0) continue;
    text.resize(static_cast<std::size_t>(length) + 1);
    const auto copied = ::SendMessageW(log, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    SIZE extent{};
    if (copied > 0 && ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(copied), &extent)) {
      widest = std::max(widest, extent.cx);
    }
  }
  ::SelectObject(dc, old_font);
  ::ReleaseDC(log, dc);
  ::SendMessageW(log, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Scale(10, dpi_)), 0);
}

void MainFrame::SetTestButtonCaption(std::string_view caption) {
  ::SetWindowTextW(Control(ids::kTest), Wide(caption).c_str());
}

void MainFrame::ShowCleanBar() { ::ShowWindow(Control(ids::kCleanProgress), SW_SHOW); }

int MainFrame::CleanBarPosition() {
  return static_cast<int>(::SendMessageW(Control(ids::kCleanProgress), PBM_GETPOS, 0, 0));
}

void MainFrame::SetCleanBarPosition(int position) {
  ::SendMessageW(Control(ids::kCleanProgress), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void MainFrame::SetCleanBarCaption(std::optional<std::string> caption) {
  HWND bar = Control(ids::kCleanProgress);
  if (caption) {
    clean_bar_caption_ = Wide(*caption);
  } else {
    clean_bar_caption_.reset();
  }
  ::SetWindowTextW(bar, clean_bar_caption_ ? clean_bar_caption_->c_str() : L"");
  ::InvalidateRect(bar, nullptr, TRUE);
}

void MainFrame::SetTimer1(bool on) {
  if (on) {
    ::SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
  } else {
    ::KillTimer(hwnd_, kTimer1);
  }
}

void MainFrame::SetRunEventTimer(bool on) {
  if (on) {
    ::SetTimer(hwnd_, kRunEventTimer, kRunEventInterval, nullptr);
  } else {
    ::KillTimer(hwnd_, kRunEventTimer);
  }
}

bool MainFrame::ShowAskDeleteDialog() {
  return ui::ShowAskDeleteDialog(instance_, hwnd_, [this](bool checked) {
    if (controller_ != nullptr) controller_->AskDeleteCheckClick(checked);
  });
}

void MainFrame::SetRegistryStatusText(std::string_view text) {
  ::SetWindowTextW(Control(ids::kStatusBar), Wide(text).c_str());
}

void MainFrame::HideWindowsBackupButton() { ::ShowWindow(Control(ids::kWindowsBackup), SW_HIDE); }

void MainFrame::DisableAnalyzeRegistry() { ::EnableWindow(Control(ids::kAnalyzeRegistry), FALSE); }

void MainFrame::ClearDefragSizeLabels() {
  for (const int id : {ids::kCurrentRegistrySize, ids::kNewRegistrySize, ids::kSizeReduction, ids::kCompactPercent}) {
    ::SetWindowTextW(Control(id), L"");
  }
}

void MainFrame::AddDefragRow(std::string_view text) {
  HWND list = Control(ids::kHiveList);
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = wide.data();
  // The three size columns start empty; an analysis fills them in.
  ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::optional<int> MainFrame::WindowShowCommand() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!::GetWindowPlacement(hwnd_, &placement)) return std::nullopt;
  return static_cast<int>(placement.showCmd);
}

core::WindowBounds MainFrame::CurrentWindowBounds() {
  RECT rect{};
  if (::IsIconic(hwnd_)) {
    // A minimised window sits far off screen; its restored place is what matters.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hwnd_, &placement);
    rect = placement.rcNormalPosition;
  } else {
    ::GetWindowRect(hwnd_, &rect);
  }
  return core::WindowBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

core::ScreenSize MainFrame::GetScreenSize() {
  return core::ScreenSize{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void MainFrame::SetWindowBounds(const core::WindowBounds& bounds) {
  ::SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainFrame::MaximiseWindow() { ::ShowWindow(hwnd_, SW_MAXIMIZE); }

void MainFrame::RestoreAndShowWindow() {
  if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
}

void MainFrame::PostToSelf(unsigned message, std::uintptr_t wparam) {
  ::PostMessageW(hwnd_, message, static_cast<WPARAM>(wparam), 0);
}

void MainFrame::CloseWindow() { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

bool MainFrame::AskYesNo(std::string_view question) {
  const std::wstring caption = Wide(app::kProductName);
  return ::MessageBoxW(hwnd_, Wide(question).c_str(), caption.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void MainFrame::ShowError(std::string_view message) {
  const std::wstring caption = Wide(app::kProductName);
  ::MessageBoxW(hwnd_, Wide(message).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void MainFrame::ShowInformation(std::string_view message) {
  const std::wstring caption = Wide(app::kProductName);
  ::MessageBoxW(hwnd_, Wide(message).c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

void MainFrame::ShowPlainMessage(std::string_view message) {
  ::MessageBoxW(hwnd_, Wide(message).c_str(), L"", MB_OK);
}

std::optional<std::string> MainFrame::ChooseSaveFile(std::string_view title, std::string_view filter) {
  return ui::ChooseSaveFile(hwnd_, title, filter);
}

void MainFrame::ShowAboutBox() {
  ui::ShowAboutBox(instance_, hwnd_, [this] {
    if (controller_ != nullptr) controller_->OpenHomePage();
  });
}

void MainFrame::ShowCustomListEditor() { ui::ShowCustomListEditor(instance_, hwnd_); }

void MainFrame::ShowOptionsDialog() {
  ShowPlaceholderDialog(instance_, hwnd_, L"Options", L"The options editor is not available in this build.");
}

void MainFrame::PopupHelpMenu() {
  unique_hmenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuOnlineHelp, L"Online &Help");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuHomepage, L"H&omepage");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuCheckForUpdate, L"&Check for Update");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuAbout, L"&About...");
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // The chosen command arrives as WM_COMMAND once the menu has closed.
  ::SetForegroundWindow(hwnd_);
  ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_,
                   nullptr);
  ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void MainFrame::PopupLogMenu(POINT screen) {
  unique_hmenu menu(::CreatePopupMenu());
  if (!menu || controller_ == nullptr) return;
  const UINT enabled = controller_->CanSaveLog() ? MF_ENABLED : MF_GRAYED;
  ::AppendMenuW(menu.get(), MF_STRING | enabled, ids::kMenuSaveLog, L"S&ave to text file");
  ::SetForegroundWindow(hwnd_);
  ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_,
                   nullptr);
  ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

}  // namespace norvik::ui
