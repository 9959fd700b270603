#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/tools_page_view.h"

#include "platform/win32/wide_text.h"
#include "ui/dialogs/backup_hint/backup_hint_dialog.h"
#include "ui/dialogs/index_dat_viewer/index_dat_viewer_dialog.h"
#include "ui/dialogs/save_file.h"

namespace norvik::ui {

void ToolsPageView::Create(const PageHost& host) {
  instance_ = host.instance;
  frame_ = host.frame;
  Controls& controls = host.controls;
  startup_list_ = controls.AddReportList(host.page, ids::kStartupList, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  controls.AddColumns(ids::kStartupList, {{L"Startup Program", 130}, {L"File", 200}, {L"Location", 120}}, kBaseDpi);
  static const struct {
    int id;
    const wchar_t* caption;
  } kButtons[] = {{ids::kStartup, L"Startup"},
                  {ids::kDeleteEntry, L"&Delete Entry"},
                  {ids::kSelectAll, L"Select &All"},
                  {ids::kSelectNone, L"Select &None"},
                  {ids::kViewHistory, L"Index.dat Viewer..."},
                  {ids::kBackupFullRegistry, L"Backup Full Registry..."},
                  {ids::kWindowsBackup, L"Windows Backup..."}};
  for (const auto& button : kButtons) controls.AddButton(host.page, button.id, button.caption);
  controls.AddHints(host.page,
                    {{ids::kStartup, L"Startup manager for Windows to optimize Windows startup configuration"},
                     {ids::kDeleteEntry, L"Delete the selected entries"},
                     {ids::kSelectAll, L"Select all entries in the list"},
                     {ids::kSelectNone, L"Cancel all entries in the list"},
                     {ids::kViewHistory, L"Read the contents of your index.dat files"},
                     {ids::kBackupFullRegistry, L"Backup your entire registry"},
                     {ids::kWindowsBackup, L"Use the windows backup tool to backup the system"}});
  windows_backup_ = controls.Get(ids::kWindowsBackup);
  if (windows_backup_hidden_) ::ShowWindow(windows_backup_, SW_HIDE);
}

void ToolsPageView::HideWindowsBackupButton() {
  windows_backup_hidden_ = true;
  if (windows_backup_ != nullptr) ::ShowWindow(windows_backup_, SW_HIDE);
}

void ToolsPageView::Layout(const Controls& controls, const PageGrid& g) {
  // The startup list and a column of buttons on its right.
  const int m = g.Margin();
  const int top = g.Top();
  const int bh = g.ButtonHeight();
  const int tools_bw = g.S(150);
  const int tools_x = g.width - m - tools_bw;
  controls.Place(ids::kStartupList, m, top, tools_x - g.Gap() - m, g.height - top - m);
  const int pitch = bh + g.S(6);
  int button_y = top;
  for (const int id : {ids::kStartup, ids::kDeleteEntry, ids::kSelectAll, ids::kSelectNone}) {
    controls.Place(id, tools_x, button_y, tools_bw, bh);
    button_y += pitch;
  }
  button_y = g.RowY();
  for (const int id : {ids::kWindowsBackup, ids::kBackupFullRegistry, ids::kViewHistory}) {
    controls.Place(id, tools_x, button_y, tools_bw, bh);
    button_y -= pitch;
  }
}

void ToolsPageView::OnCommand(int id, int code, HWND control) {
  if (controller_ == nullptr || control == nullptr || code != BN_CLICKED) return;
  if (id == ids::kStartup) controller_->StartupClick();
  if (id == ids::kDeleteEntry) controller_->DeleteEntryClick();
  if (id == ids::kSelectAll) controller_->SelectAllClick();
  if (id == ids::kSelectNone) controller_->SelectNoneClick();
  if (id == ids::kViewHistory) controller_->ViewHistoryClick();
  if (id == ids::kBackupFullRegistry) controller_->BackupFullRegistryClick();
  if (id == ids::kWindowsBackup) controller_->WindowsBackupClick();
}

void ToolsPageView::ShowIndexDatViewer(platform::Platform platform, bool is_wipe_file, int wipe_number) {
  ui::ShowIndexDatViewer(instance_, frame_, platform, is_wipe_file, wipe_number);
}

std::optional<std::string> ToolsPageView::ChooseSaveFile(std::string_view title, std::string_view filter) {
  return ui::ChooseSaveFile(frame_, title, filter);
}

void ToolsPageView::ShowStartupRows(const std::vector<tools::StartupEntry>& rows) {
  if (startup_list_ == nullptr) return;
  HWND list = startup_list_;
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (const auto& row : rows) {
    const std::wstring texts[] = {platform::win32::Wide(row.caption), platform::win32::Wide(row.file),
                                  platform::win32::Wide(row.location)};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(texts[0].c_str());
    const auto index = ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (index < 0) continue;
    for (int column = 1; column < 3; ++column) {
      item.iSubItem = column;
      item.pszText = const_cast<wchar_t*>(texts[column].c_str());
      ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
  }
  if (!rows.empty()) {
    // Wide enough for the longest text and for the caption. The last column would take
    // the rest of the list with the header's rule, and be cut short when the rest is less.
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(LVSCW_AUTOSIZE, 0));
    // The caption with room for the header's margins.
    const auto caption = ::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"Location    "));
    if (::SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0) < caption) {
      ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(static_cast<int>(caption), 0));
    }
  }
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

std::vector<bool> ToolsPageView::StartupChecks() {
  std::vector<bool> checks;
  if (startup_list_ == nullptr) return checks;
  const auto count = ::SendMessageW(startup_list_, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT row = 0; row < count; ++row) {
    const auto state = ::SendMessageW(startup_list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    checks.push_back(((state & LVIS_STATEIMAGEMASK) >> 12) == 2);
  }
  return checks;
}

void ToolsPageView::RemoveStartupRow(std::size_t row) {
  if (startup_list_ != nullptr) ::SendMessageW(startup_list_, LVM_DELETEITEM, row, 0);
}

void ToolsPageView::CheckAllStartupRows(bool checked) {
  if (startup_list_ == nullptr) return;
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  // Row -1: every row.
  ::SendMessageW(startup_list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

bool ToolsPageView::ShowBackupHint(platform::Process& process, std::string_view hint) {
  return ui::ShowBackupHint(instance_, frame_, process, hint);
}

}  // namespace norvik::ui
