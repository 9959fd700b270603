#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/restore/restore_dialog.h"

#include <commctrl.h>

#include "app/dialogs/restore_backups.h"
#include "app/product.h"
#include "platform/win32/browse_for_folder.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/backup_hint/backup_hint_dialog.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/dialogs/restore/restore_ids.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

class RestoreDialog final : public DialogBase,
                            public app::dialogs::RestoreView,
                            public app::Prompts,
                            public app::dialogs::BackupHintRunner {
 public:
  RestoreDialog(platform::Platform platform, const std::string& folder, bool delete_after_restore)
      : restore_(*this, platform, *this, *this, folder, delete_after_restore) {}

  // RestoreView
  void SetFolder(std::string_view folder) override { SetItemText(IDC_RS_FOLDER, folder); }
  void ShowRows(const std::vector<app::dialogs::BackupFileRow>& rows) override {
    ::SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::wstring cells[] = {Wide(rows[i].name), Wide(rows[i].date), Wide(rows[i].size)};
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<wchar_t*>(cells[0].c_str());
      ::SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      for (int column = 1; column < 3; ++column) {
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(cells[column].c_str());
        ::SendMessageW(List(), LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
      }
    }
  }
  std::optional<std::size_t> SelectedRow() override {
    const auto index = ::SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (index < 0) return std::nullopt;
    return static_cast<std::size_t>(index);
  }
  void SelectRow(std::optional<std::size_t> row) override {
    if (!row) return;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(List(), LVM_SETITEMSTATE, *row, reinterpret_cast<LPARAM>(&item));
  }
  void EnableActions(bool enabled) override {
    Enable(IDC_RS_RESTORE, enabled);
    Enable(IDC_RS_DELETE, enabled);
  }
  std::optional<std::string> BrowseForFolder(std::string_view title) override {
    return platform::win32::BrowseForFolder(hwnd(), title);
  }

  // Prompts: message boxes owned by this dialog.
  bool AskYesNo(std::string_view question) override {
    return Box(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  }
  void ShowError(std::string_view message) override { Box(message, MB_OK | MB_ICONERROR); }
  void ShowInformation(std::string_view message) override { Box(message, MB_OK | MB_ICONINFORMATION); }
  void ShowPlainMessage(std::string_view message) override { Box(message, MB_OK); }

  // BackupHintRunner
  bool ShowBackupHint(platform::Process& process, std::string_view hint) override {
    return ui::ShowBackupHint(instance(), hwnd(), process, hint);
  }

 private:
  HWND List() const { return ::GetDlgItem(hwnd(), IDC_RS_LIST); }
  int Box(std::string_view text, UINT flags) {
    return ::MessageBoxW(hwnd(), Wide(text).c_str(), Wide(app::kProductName).c_str(), flags);
  }

  INT_PTR OnInitDialog() override {
    ::SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    static const struct {
      const wchar_t* title;
      int width;
      int format;
    } kColumns[] = {{L"Backup file", 200, LVCFMT_LEFT}, {L"Date", 170, LVCFMT_LEFT}, {L"Size", 80, LVCFMT_RIGHT}};
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      column.fmt = kColumns[i].format;
      column.pszText = const_cast<wchar_t*>(kColumns[i].title);
      column.cx = kColumns[i].width;
      ::SendMessageW(List(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    restore_.Show();
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_NOTIFY) {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom != IDC_RS_LIST) return FALSE;
      if (header.code == LVN_ITEMCHANGED) restore_.SelectionChanged();
      if (header.code == NM_DBLCLK && reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) {
        restore_.RestoreClick();
      }
      return TRUE;
    }
    if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wparam)) {
      case IDC_RS_BROWSE: restore_.BrowseClick(); return TRUE;
      case IDC_RS_OPEN: restore_.OpenDirectoryClick(); return TRUE;
      case IDC_RS_RESTORE: restore_.RestoreClick(); return TRUE;
      case IDC_RS_DELETE: restore_.DeleteClick(); return TRUE;
      default: return EndsDialog(LOWORD(wparam), false) ? TRUE : FALSE;
    }
  }

  app::dialogs::RestoreBackups restore_;
};

}  // namespace

void ShowRestoreDialog(HINSTANCE instance, HWND owner, platform::Platform platform, const std::string& folder,
                       bool delete_after_restore) {
  RestoreDialog dialog(platform, folder, delete_after_restore);
  dialog.RunModal(instance, owner, IDD_RESTORE);
}

}  // namespace norvik::ui
