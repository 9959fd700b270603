#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/tools_page_view.h"

#include "ui/dialogs/backup_hint/backup_hint_dialog.h"
#include "ui/dialogs/index_dat_viewer/index_dat_viewer_dialog.h"
#include "ui/dialogs/save_file.h"

namespace norvik::ui {

void ToolsPageView::Create(const PageHost& host) {
  instance_ = host.instance;
  frame_ = host.frame;
  Controls& controls = host.controls;
  controls.AddReportList(host.page, ids::kStartupList, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  controls.AddColumns(ids::kStartupList, {{L"Name", 130}, {L"Command", 200}, {L"Location", 120}}, kBaseDpi);
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
  for (const auto& button : kButtons) {
    // The startup manager arrives with its issue.
    const bool works = button.id == ids::kViewHistory || button.id == ids::kBackupFullRegistry ||
                       button.id == ids::kWindowsBackup;
    ::EnableWindow(controls.AddButton(host.page, button.id, button.caption), works);
  }
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

bool ToolsPageView::ShowBackupHint(platform::Process& process, std::string_view hint) {
  return ui::ShowBackupHint(instance_, frame_, process, hint);
}

}  // namespace norvik::ui
