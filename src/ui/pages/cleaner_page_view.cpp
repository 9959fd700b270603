#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/cleaner_page_view.h"

#include <algorithm>

#include "app/product.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/ask_delete/ask_delete_dialog.h"
#include "ui/dialogs/custom_list/custom_list_dialog.h"
#include "ui/dialogs/save_file.h"

namespace norvik::ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

constexpr UINT kTimer1Interval = 500;
// Short enough that the log follows the run closely; WM_TIMER comes only when input and
// painting are done, so a busy run never makes the window sluggish.
constexpr UINT kRunEventInterval = 30;

}  // namespace

void CleanerPageView::Create(const PageHost& host) {
  instance_ = host.instance;
  frame_ = host.frame;
  Controls& controls = host.controls;
  // No tips for clipped items: their window is a top-level one, the dearest kind to make
  // (about 10 ms under Wine, a fifth of what the program adds to its start-up). The
  // catalogue's names fit the column, and a longer one scrolls into view.
  HWND tree = controls.Add(host.page, ids::kCleanItems, WC_TREEVIEWW, L"",
                           WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                               TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS,
                           WS_EX_CLIENTEDGE);
  tree_.Attach(tree, [this](std::optional<core::NodeId> node, app::TreeHit hit) {
    if (controller_ != nullptr) controller_->TreeMouseDown(node, hit);
  });
  log_ = controls.Add(host.page, ids::kLog, WC_LISTBOXW, L"",
                      WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                      WS_EX_CLIENTEDGE);
  bar_ = controls.Add(host.page, ids::kCleanProgress, PROGRESS_CLASSW, L"", 0);
  ::SendMessageW(bar_, PBM_SETRANGE32, 0, app::kBarMax);
  // Draws the caption ("Finished!", "57%") over the bar.
  bar_caption_.Attach(bar_);
  fast_mode_ = controls.AddButton(host.page, ids::kFastMode, L"Fast Mode", BS_AUTOCHECKBOX);
  test_ = controls.AddButton(host.page, ids::kTest, L"Test");
  controls.AddButton(host.page, ids::kClean, L"Clean");
}

void CleanerPageView::Layout(const Controls& controls, const PageGrid& g) {
  dpi_ = g.dpi;
  const int m = g.Margin();
  const int top = g.Top();
  const int bw = g.ButtonWidth();
  const int bh = g.ButtonHeight();
  controls.Place(ids::kCleanItems, m, top, g.LeftWidth(), g.height - top - m);
  controls.Place(ids::kLog, g.RightX(), top, g.RightWidth(), g.ProgressY() - g.S(4) - top);
  controls.Place(ids::kCleanProgress, g.RightX(), g.ProgressY(), g.RightWidth(), g.ProgressHeight());
  const int clean_x = g.width - m - bw;
  const int test_x = clean_x - g.S(20) - bw;
  controls.Place(ids::kClean, clean_x, g.RowY(), bw, bh);
  controls.Place(ids::kTest, test_x, g.RowY(), bw, bh);
  controls.Place(ids::kFastMode, g.RightX(), g.RowY(), std::min(g.S(120), test_x - g.RightX() - g.Gap()), bh);
}

void CleanerPageView::ApplyDpi(UINT dpi, HFONT font) {
  dpi_ = dpi;
  font_ = font;
  bar_caption_.SetFont(font);
  tree_.SetStateImages(dpi);
}

void CleanerPageView::OnCommand(int id, int code, HWND control) {
  if (controller_ == nullptr || control == nullptr || code != BN_CLICKED) return;
  switch (id) {
    case ids::kFastMode:
      controller_->FastModeClick(::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
      return;
    case ids::kTest:
      controller_->TestClick();
      return;
    case ids::kClean:
      controller_->CleanClick();
      return;
    default:
      return;
  }
}

void CleanerPageView::OnTimer(int id) {
  if (controller_ == nullptr) return;
  if (id == ids::kTimer1) controller_->Timer1Tick();
  if (id == ids::kRunEventTimer) controller_->DrainRunEvents();
}

bool CleanerPageView::OnContextMenu(HWND control, POINT screen) {
  if (control != log_ || controller_ == nullptr) return false;
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: open at the list's corner.
    RECT rect{};
    ::GetWindowRect(log_, &rect);
    screen = POINT{rect.left + 8, rect.top + 8};
  }
  unique_hmenu menu(::CreatePopupMenu());
  if (!menu) return true;
  const UINT enabled = controller_->CanSaveLog() ? MF_ENABLED : MF_GRAYED;
  ::AppendMenuW(menu.get(), MF_STRING | enabled, ids::kMenuSaveLog, L"S&ave to text file");
  ::SetForegroundWindow(frame_);
  const BOOL chosen = ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                       screen.x, screen.y, 0, frame_, nullptr);
  ::PostMessageW(frame_, WM_NULL, 0, 0);
  if (chosen == ids::kMenuSaveLog) controller_->SaveLogClick();
  return true;
}

HBRUSH CleanerPageView::OnCtlColor(HDC dc, HWND control) {
  if (control != log_) return nullptr;
  ::SetTextColor(dc, log_text_color_);
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  return ::GetSysColorBrush(COLOR_WINDOW);
}

bool CleanerPageView::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  if (controller_ == nullptr) return false;
  switch (message) {
    case app::kWmCleanProgress:
      controller_->CleanProgressMessage(static_cast<std::uintptr_t>(wparam));
      return true;
    case app::kWmCleanDone:
      controller_->CleanDoneMessage(static_cast<std::uintptr_t>(wparam));
      return true;
    case app::kWmCleanPrepared:
      controller_->CleanPreparedMessage();
      return true;
    default:
      return false;
  }
}

void CleanerPageView::SetFastModeChecked(bool checked) {
  ::SendMessageW(fast_mode_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::size_t CleanerPageView::LogLineCount() {
  const auto count = ::SendMessageW(log_, LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<std::size_t>(count);
}

std::vector<std::string> CleanerPageView::LogLines() {
  std::vector<std::string> lines;
  const auto count = ::SendMessageW(log_, LB_GETCOUNT, 0, 0);
  if (count == LB_ERR) return lines;
  lines.reserve(static_cast<std::size_t>(count));
  std::wstring text;
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = ::SendMessageW(log_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length == LB_ERR) continue;
    text.assign(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied =
        ::SendMessageW(log_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    lines.push_back(Narrow(text));
  }
  return lines;
}

void CleanerPageView::ClearLog() {
  ::SendMessageW(log_, LB_RESETCONTENT, 0, 0);
  // The old lines' width would leave a scroll bar over an empty list.
  ::SendMessageW(log_, LB_SETHORIZONTALEXTENT, 0, 0);
  widest_line_ = 0;
  widest_font_ = reinterpret_cast<HGDIOBJ>(::SendMessageW(log_, WM_GETFONT, 0, 0));
}

void CleanerPageView::AppendLogLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::vector<std::wstring> wide;
  wide.reserve(lines.size());
  std::size_t chars = 0;
  for (const std::string& line : lines) {
    wide.push_back(Wide(line));
    chars += wide.back().size() + 1;
  }
  // One allocation for the batch, and one repaint after it instead of one per line.
  ::SendMessageW(log_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(log_, LB_INITSTORAGE, wide.size(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
  for (const std::wstring& line : wide) {
    ::SendMessageW(log_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  ::SendMessageW(log_, WM_SETREDRAW, TRUE, 0);
  if (HDC dc = ::GetDC(log_)) {
    HGDIOBJ old_font = ::SelectObject(dc, widest_font_);
    for (const std::wstring& line : wide) {
      SIZE extent{};
      if (::GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent)) {
        widest_line_ = std::max(widest_line_, extent.cx);
      }
    }
    ::SelectObject(dc, old_font);
    ::ReleaseDC(log_, dc);
  }
  // The scroll bars changed unseen too.
  ::RedrawWindow(log_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void CleanerPageView::ScrollLogToEnd() {
  const auto count = ::SendMessageW(log_, LB_GETCOUNT, 0, 0);
  // The list stops at its last full page by itself.
  if (count > 0) ::SendMessageW(log_, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

void CleanerPageView::SetLogDoubleBuffered(bool) {
  // A list box has no buffered painting of its own, and WS_EX_COMPOSITED is ignored for
  // child windows once the desktop is composited. Lines already arrive in batches with
  // redrawing held off, which is what keeps the list from flickering.
}

void CleanerPageView::SetLogTextColor(std::uint32_t colour) {
  if (log_text_color_ == colour) return;
  log_text_color_ = colour;
  ::InvalidateRect(log_, nullptr, TRUE);
}

void CleanerPageView::FitLogHorizontalExtent() {
  const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(log_, WM_GETFONT, 0, 0));
  if (font == widest_font_) {
    ::SendMessageW(log_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_line_ + Scale(10, dpi_)), 0);
    return;
  }
  // The font changed under the run (a new DPI): measure every line again.
  const auto count = ::SendMessageW(log_, LB_GETCOUNT, 0, 0);
  if (count == LB_ERR) return;
  HDC dc = ::GetDC(log_);
  if (dc == nullptr) return;
  HGDIOBJ old_font = ::SelectObject(dc, font);
  LONG widest = 0;
  std::wstring text;
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = ::SendMessageW(log_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length <= 0) continue;
    text.resize(static_cast<std::size_t>(length) + 1);
    const auto copied =
        ::SendMessageW(log_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    SIZE extent{};
    if (copied > 0 && ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(copied), &extent)) {
      widest = std::max(widest, extent.cx);
    }
  }
  ::SelectObject(dc, old_font);
  ::ReleaseDC(log_, dc);
  widest_line_ = widest;
  widest_font_ = font;
  ::SendMessageW(log_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Scale(10, dpi_)), 0);
}

void CleanerPageView::SetTestButtonCaption(std::string_view caption) {
  ::SetWindowTextW(test_, Wide(caption).c_str());
}

int CleanerPageView::CleanBarPosition() { return static_cast<int>(::SendMessageW(bar_, PBM_GETPOS, 0, 0)); }

void CleanerPageView::SetCleanBarPosition(int position) {
  ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CleanerPageView::SetCleanBarCaption(std::optional<std::string> caption) {
  bar_caption_.SetCaption(std::move(caption));
}

void CleanerPageView::SetTimer(int id, UINT interval, bool on) const {
  if (on) {
    ::SetTimer(frame_, static_cast<UINT_PTR>(id), interval, nullptr);
  } else {
    ::KillTimer(frame_, static_cast<UINT_PTR>(id));
  }
}

void CleanerPageView::SetTimer1(bool on) { SetTimer(ids::kTimer1, kTimer1Interval, on); }

void CleanerPageView::SetRunEventTimer(bool on) { SetTimer(ids::kRunEventTimer, kRunEventInterval, on); }

void CleanerPageView::PostToSelf(unsigned message, std::uintptr_t wparam) {
  ::PostMessageW(frame_, message, static_cast<WPARAM>(wparam), 0);
}

bool CleanerPageView::ShowAskDeleteDialog() {
  return ui::ShowAskDeleteDialog(instance_, frame_, [this](bool checked) {
    if (controller_ != nullptr) controller_->AskDeleteCheckClick(checked);
  });
}

std::optional<std::string> CleanerPageView::ChooseSaveFile(std::string_view title, std::string_view filter) {
  return ui::ChooseSaveFile(frame_, title, filter);
}

void CleanerPageView::ShowCustomListEditor(app::dialogs::CustomListEditor& editor) {
  ui::ShowCustomListEditor(instance_, frame_, editor);
}

}  // namespace norvik::ui
