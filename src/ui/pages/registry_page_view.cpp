#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/registry_page_view.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "app/product.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/restore/restore_dialog.h"
#include "ui/dialogs/save_file.h"
#include "ui/dialogs/system_point/system_point_dialog.h"
#include "ui/main/gdi_owners.h"
#include "ui/pages/regedit_navigator.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

// Posted to the main window: lParam is a section tree item to expand again.
constexpr UINT kWmReopenSection = WM_APP + 1;
constexpr UINT kTimer1Interval = 500;
// WM_TIMER comes only when input and painting are done, so a busy scan never makes the
// window sluggish; rows arrive in batches of whatever was found in between.
constexpr UINT kScanEventInterval = 30;
constexpr int kColumnCount = 3;
// An empty list's columns share its width 100 : 190 : 140 (of 450).
constexpr int kEmptyColumnShares[kColumnCount] = {100, 190, 140};
constexpr std::size_t kMeasuredRows = 200;
constexpr int kColumnPadding = 12;
constexpr int kFirstColumnPadding = 12 + 20;  // and the check box
constexpr std::string_view kColumnTitles[kColumnCount] = {"Problem", "Data", "Registry key"};

// Columns wider than the list share what is left of it equally, so the narrow ones stay
// whole and none runs past the list's edge; room to spare goes to the last column.
void FitInto(std::array<int, kColumnCount>& widths, int available) {
  std::array<int, kColumnCount> order{};
  for (int i = 0; i < kColumnCount; ++i) order[i] = i;
  std::ranges::sort(order, {}, [&](int i) { return widths[i]; });
  int left = available;
  for (int k = 0; k < kColumnCount; ++k) {
    const int column = order[k];
    widths[column] = std::min(widths[column], left / (kColumnCount - k));
    left -= widths[column];
  }
  widths[kColumnCount - 1] += left;
}

}  // namespace

void RegistryPageView::Create(const PageHost& host) {
  instance_ = host.instance;
  frame_ = host.frame;
  Controls& controls = host.controls;
  HWND page = host.page;
  title_ = controls.AddLabel(page, ids::kScanTitle, scan_title_, SS_LEFT | SS_NOPREFIX);
  HWND tree = controls.Add(page, ids::kSections, WC_TREEVIEWW, L"",
                           WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                               TVS_SHOWSELALWAYS,
                           WS_EX_CLIENTEDGE);
  tree_.Attach(tree, [this](std::optional<core::NodeId> node, app::TreeHit hit) {
    if (controller_ != nullptr) controller_->TreeMouseDown(node, hit);
  });
  list_ = controls.AddReportList(page, ids::kRegistryData, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT, LVS_OWNERDATA);
  controls.AddColumns(ids::kRegistryData, {{L"Problem", 150}, {L"Data", 170}, {L"Registry key", 260}}, kBaseDpi);
  keys_ = controls.Add(page, ids::kKeyDisplay, WC_EDITW, L"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                       WS_EX_CLIENTEDGE);
  bar_ = controls.Add(page, ids::kScanProgress, PROGRESS_CLASSW, L"", 0);
  ::SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
  bar_caption_.Attach(bar_);
  // Two lines that wrap: at the smallest window one line cuts the counts short.
  status_ = controls.AddLabel(page, ids::kStatusBar, status_text_, SS_LEFT | SS_NOPREFIX);
  scan_ = controls.AddButton(page, ids::kScan, L"Scan");
  controls.AddButton(page, ids::kFixErrors, L"Fix Errors");
  restore_ = controls.AddButton(page, ids::kRestoreRegistry, L"Restore");
  controls.AddHints(page, {{ids::kScan, L"Scan registry errors"},
                           {ids::kFixErrors, L"Fix selected errors"},
                           {ids::kRestoreRegistry, L"Restore any changes made using the software"}});
  made_ = true;
}

void RegistryPageView::Layout(const Controls& controls, const PageGrid& g) {
  const int m = g.Margin();
  const int top = g.Top();
  const int label_h = g.LabelHeight();
  const int bw = g.ButtonWidth();
  const int bh = g.ButtonHeight();
  controls.Place(ids::kScanTitle, m, top, g.LeftWidth(), label_h);
  controls.Place(ids::kSections, m, top + label_h + g.S(2), g.LeftWidth(), g.height - top - label_h - g.S(2) - m);
  // The counts line gets a place of its own, two lines high: beside the three buttons a
  // narrow window leaves it no room.
  const int status_h = 2 * label_h;
  const int status_y = g.ProgressY() - g.S(4) - status_h;
  const int keys_h = g.S(36);
  const int keys_y = status_y - g.S(4) - keys_h;
  controls.Place(ids::kRegistryData, g.RightX(), top, g.RightWidth(), keys_y - g.S(4) - top);
  controls.Place(ids::kKeyDisplay, g.RightX(), keys_y, g.RightWidth(), keys_h);
  controls.Place(ids::kStatusBar, g.RightX(), status_y, g.RightWidth(), status_h);
  controls.Place(ids::kScanProgress, g.RightX(), g.ProgressY(), g.RightWidth(), g.ProgressHeight());
  const int restore_x = g.width - m - bw;
  const int fix_x = restore_x - g.Gap() - bw;
  const int scan_x = fix_x - g.Gap() - bw;
  controls.Place(ids::kRestoreRegistry, restore_x, g.RowY(), bw, bh);
  controls.Place(ids::kFixErrors, fix_x, g.RowY(), bw, bh);
  controls.Place(ids::kScan, scan_x, g.RowY(), bw, bh);
  FitColumns(controller_ == nullptr || controller_->Rows().empty());
}

void RegistryPageView::ApplyDpi(UINT dpi, HFONT font) {
  tree_.SetStateImages(dpi);
  // Items put in before the check box images would show none.
  if (!tree_built_ && tree_model_ != nullptr) {
    tree_.Rebuild(*tree_model_, true);
    tree_built_ = true;
  }
  bar_caption_.SetFont(font);
}

void RegistryPageView::OnCommand(int id, int code, HWND control) {
  if (controller_ == nullptr || control == nullptr || code != BN_CLICKED) return;
  if (id == ids::kScan) controller_->ScanClick();
  if (id == ids::kFixErrors) controller_->FixErrorsClick();
  if (id == ids::kRestoreRegistry) controller_->RestoreRegistryClick();
}

void RegistryPageView::FillItem(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (controller_ == nullptr || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= controller_->Rows().size()) {
    return;
  }
  const auto& row = controller_->Row(static_cast<std::size_t>(item.iItem));
  if ((item.mask & LVIF_TEXT) != 0 && item.cchTextMax > 0) {
    const std::string& text = item.iSubItem == 0 ? row.problem : item.iSubItem == 1 ? row.data : row.registry_key;
    cell_ = Wide(text);
    lstrcpynW(item.pszText, cell_.c_str(), item.cchTextMax);
  }
  if ((item.mask & LVIF_STATE) != 0) {
    item.state = INDEXTOSTATEIMAGEMASK(row.ticked ? 2 : 1);
    item.stateMask = LVIS_STATEIMAGEMASK;
  }
}

LRESULT RegistryPageView::OnNotify(const NMHDR& header) {
  const int from = static_cast<int>(header.idFrom);
  if (from == ids::kRegistryData && controller_ != nullptr) {
    switch (header.code) {
      case LVN_GETDISPINFOW:
        FillItem(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
        return 0;
      case NM_CLICK: {
        LVHITTESTINFO hit{};
        ::GetCursorPos(&hit.pt);
        ::ScreenToClient(list_, &hit.pt);
        const auto index = ::SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (index >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
          controller_->ToggleRow(static_cast<std::size_t>(index));
        } else {
          controller_->ResultsClick();
        }
        return 0;
      }
      case LVN_KEYDOWN: {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        if (key.wVKey == VK_SPACE) {
          if (const auto row = FirstSelected()) controller_->ToggleRow(*row);
        } else if (key.wVKey == 'R' && ::GetKeyState(VK_CONTROL) < 0) {
          controller_->RunAction(app::ResultAction::OpenRegedit);
        }
        return 0;
      }
      default:
        return 0;
    }
  }
  if (from != ids::kSections) return 0;
  // The A and W forms share the fields read here.
  const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
  const bool collapsing = (change.action & TVE_COLLAPSE) != 0;
  if (header.code == TVN_ITEMEXPANDINGW || header.code == TVN_ITEMEXPANDINGA) {
    // Nonzero refuses the change.
    return collapsing && !app::RegistryPage::TreeMayCollapse() ? TRUE : FALSE;
  }
  if ((header.code == TVN_ITEMEXPANDEDW || header.code == TVN_ITEMEXPANDEDA) && collapsing &&
      !app::RegistryPage::TreeMayCollapse()) {
    // Some tree controls collapse anyway: open the node again once the control is done.
    ::PostMessageW(frame_, kWmReopenSection, 0, reinterpret_cast<LPARAM>(change.itemNew.hItem));
  }
  return 0;
}

void RegistryPageView::OnTimer(int id) {
  if (controller_ == nullptr) return;
  if (id == ids::kScanTimer1) controller_->Timer1Tick();
  if (id == ids::kScanEventTimer) controller_->DrainScanEvents();
}

bool RegistryPageView::OnContextMenu(HWND control, POINT screen) {
  if (control != list_ || controller_ == nullptr) return false;
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: open at the list's corner.
    RECT rect{};
    ::GetWindowRect(list_, &rect);
    screen = POINT{rect.left + 8, rect.top + 8};
  }
  unique_hmenu menu(::CreatePopupMenu());
  if (!menu) return true;
  const bool selected = FirstSelected().has_value();
  int id = ids::kMenuResultBase;
  for (const auto& item : app::kResultMenu) {
    if (item.separator_before) ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    const UINT enabled = controller_->ActionEnabled(item.action, selected) ? MF_ENABLED : MF_GRAYED;
    ::AppendMenuW(menu.get(), MF_STRING | enabled, static_cast<UINT_PTR>(id++), Wide(item.caption).c_str());
  }
  ::SetForegroundWindow(frame_);
  const BOOL chosen = ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                       screen.x, screen.y, 0, frame_, nullptr);
  ::PostMessageW(frame_, WM_NULL, 0, 0);
  const int index = chosen - ids::kMenuResultBase;
  if (chosen != 0 && index >= 0 && index < static_cast<int>(std::size(app::kResultMenu))) {
    controller_->RunAction(app::kResultMenu[index].action);
  }
  return true;
}

bool RegistryPageView::OnMessage(UINT message, WPARAM, LPARAM lparam) {
  switch (message) {
    case kWmReopenSection:
      ::SendMessageW(tree_.hwnd(), TVM_EXPAND, TVE_EXPAND, lparam);
      return true;
    case app::kWmScanSectionDone:
      if (controller_ != nullptr) controller_->ScanSectionDoneMessage();
      return true;
    case app::kWmScanDone:
      if (controller_ != nullptr) controller_->ScanDoneMessage();
      return true;
    default:
      return false;
  }
}

void RegistryPageView::RebuildTree(const core::CheckTree& model) {
  tree_model_ = &model;
  if (!made_) return;
  tree_.Rebuild(model, true);
  tree_built_ = true;
}

void RegistryPageView::RefreshTreeChecks(const core::CheckTree& model) {
  tree_model_ = &model;
  if (tree_built_) tree_.RefreshChecks(model);
}

// A tree made late is built fully open.
void RegistryPageView::ExpandNode(core::NodeId id) {
  if (tree_built_) tree_.Expand(id);
}

void RegistryPageView::SetStatusText(std::string_view text) {
  status_text_ = Wide(text);
  if (made_) ::SetWindowTextW(status_, status_text_.c_str());
}

void RegistryPageView::SetScanTitle(std::string_view text) {
  scan_title_ = Wide(text);
  if (made_) ::SetWindowTextW(title_, scan_title_.c_str());
}

void RegistryPageView::ShowScanBar() {
  MakeNow();
  ::ShowWindow(bar_, SW_SHOW);
}
void RegistryPageView::SetKeyText(std::string_view text) {
  MakeNow();
  ::SetWindowTextW(keys_, Wide(text).c_str());
}
void RegistryPageView::ShowKeyDisplay(bool shown) {
  MakeNow();
  ::ShowWindow(keys_, shown ? SW_SHOW : SW_HIDE);
}
void RegistryPageView::ShowRestoreButton(bool shown) {
  MakeNow();
  ::ShowWindow(restore_, shown ? SW_SHOW : SW_HIDE);
}
void RegistryPageView::SetScanButtonCaption(std::string_view caption) {
  MakeNow();
  ::SetWindowTextW(scan_, Wide(caption).c_str());
}
void RegistryPageView::SetScanBarPosition(int position) {
  MakeNow();
  ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}
void RegistryPageView::SetScanBarCaption(std::optional<std::string> caption) {
  MakeNow();
  bar_caption_.SetCaption(std::move(caption));
}

void RegistryPageView::SetTimer(int id, UINT interval, bool on) {
  MakeNow();
  if (on) {
    ::SetTimer(frame_, static_cast<UINT_PTR>(id), interval, nullptr);
  } else {
    ::KillTimer(frame_, static_cast<UINT_PTR>(id));
  }
}

void RegistryPageView::SetTimer1(bool on) { SetTimer(ids::kScanTimer1, kTimer1Interval, on); }
void RegistryPageView::SetScanEventTimer(bool on) { SetTimer(ids::kScanEventTimer, kScanEventInterval, on); }
void RegistryPageView::PostToSelf(unsigned message) {
  MakeNow();
  ::PostMessageW(frame_, message, 0, 0);
}

void RegistryPageView::SetRowCount(std::size_t count) {
  MakeNow();
  // Keeps the scroll position, so a list that grows during a scan does not jump.
  ::SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  ::InvalidateRect(list_, nullptr, FALSE);
}

void RegistryPageView::RedrawRows() {
  MakeNow();
  ::InvalidateRect(list_, nullptr, FALSE);
}

void RegistryPageView::FitColumns(bool empty) {
  MakeNow();
  if (list_ == nullptr) return;
  RECT rect{};
  ::GetClientRect(list_, &rect);
  const int available = std::max(0, static_cast<int>(rect.right - rect.left));
  std::array<int, kColumnCount> widths{};
  const std::size_t rows = controller_ != nullptr ? controller_->Rows().size() : 0;
  // The control would ask for every row's text; the first rows tell the widths well enough.
  const std::size_t measured = std::min(rows, kMeasuredRows);
  for (int column = 0; column < kColumnCount; ++column) {
    if (empty || measured == 0) {
      widths[column] = available * kEmptyColumnShares[column] / 450;
      continue;
    }
    const std::wstring header = Wide(kColumnTitles[column]);
    int width = static_cast<int>(::SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(header.c_str())));
    for (std::size_t i = 0; i < measured; ++i) {
      const auto& row = controller_->Row(i);
      const std::wstring text = Wide(column == 0 ? row.problem : column == 1 ? row.data : row.registry_key);
      width = std::max(width, static_cast<int>(::SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0,
                                                              reinterpret_cast<LPARAM>(text.c_str()))));
    }
    widths[column] = width + (column == 0 ? kFirstColumnPadding : kColumnPadding);
  }
  if (!empty && measured > 0) FitInto(widths, available);
  for (int column = 0; column < kColumnCount; ++column) {
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), widths[column]);
  }
}

std::optional<std::size_t> RegistryPageView::FirstSelected() const {
  const auto index = ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

std::vector<std::size_t> RegistryPageView::SelectedRows() {
  MakeNow();
  std::vector<std::size_t> rows;
  for (auto index = ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED); index >= 0;
       index = ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED)) {
    rows.push_back(static_cast<std::size_t>(index));
  }
  return rows;
}

std::optional<std::string> RegistryPageView::ChooseSaveFile(std::string_view title, std::string_view filter) {
  MakeNow();
  return ui::ChooseSaveFile(frame_, title, filter);
}

void RegistryPageView::OpenRegistryEditor(std::string_view root, std::string_view key, std::string_view value) {
  MakeNow();
  OpenRegistryEditorAt(root, key, value);
}

bool RegistryPageView::ShowRestorePointDialog(platform::System& system, app::WorkerYard& yard, bool unattended) {
  MakeNow();
  return ShowSystemPointDialog(instance_, frame_, system, yard, unattended);
}

void RegistryPageView::ShowRestoreDialog(platform::Platform platform, const std::string& folder,
                                         bool delete_after_restore) {
  MakeNow();
  ui::ShowRestoreDialog(instance_, frame_, platform, folder, delete_after_restore);
}

}  // namespace norvik::ui
