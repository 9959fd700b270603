#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/custom_list/custom_list_dialog.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "app/product.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/add_folder/add_folder_dialog.h"
#include "ui/dialogs/add_registry/add_registry_dialog.h"
#include "ui/dialogs/custom_list/custom_list_ids.h"
#include "ui/dialogs/dialog_base.h"

namespace norvik::ui {
namespace {

using app::dialogs::AddRegistryDialog;
using app::dialogs::CustomListEditor;
using platform::win32::Wide;

class CustomListWindow final : public DialogBase {
 public:
  explicit CustomListWindow(CustomListEditor& model) : model_(model) {}

 private:
  void DrawButtons() {
    Enable(IDC_CL_EDIT, model_.CanEdit());
    Enable(IDC_CL_REMOVE, model_.CanRemove());
    Enable(IDOK, model_.CanAccept());
  }

  void DrawRows() {
    const HWND list = ::GetDlgItem(hwnd(), IDC_CL_CONTENT);
    drawing_rows_ = true;
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    const auto& rows = model_.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::wstring text = Wide(rows[i]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = text.data();
      ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (const auto selected = model_.selection()) {
      const int row = static_cast<int>(*selected);
      ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(list, row, FALSE);
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    drawing_rows_ = false;
    DrawButtons();
  }

  void SetUpContentList() {
    const HWND list = ::GetDlgItem(hwnd(), IDC_CL_CONTENT);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    RECT client{};
    ::GetClientRect(list, &client);
    // Room for a vertical scroll bar, so that a long list never needs a horizontal one.
    const int width = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    wchar_t title[] = L"Content";
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cx = width > 0 ? width : client.right;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  }

  void Append(std::optional<std::string> entry) {
    if (!entry) return;
    model_.Append(std::move(*entry));
    DrawRows();
  }

  void EditSelectedRow() {
    auto start = model_.EditSelected();
    if (!start) return;
    if (auto entry = RunAddRegistryDialog(instance(), hwnd(), std::move(*start), model_)) {
      model_.ReplaceSelected(std::move(*entry));
      DrawRows();
    }
  }

  void SaveAndClose() {
    if (!model_.CanAccept()) return;
    const platform::Status saved = model_.Save();
    if (saved) {
      ::EndDialog(hwnd(), IDOK);
      return;
    }
    // The rows stay in the editor, so the user can try again or cancel.
    const std::wstring text = L"The custom list could not be saved to " + Wide(model_.file()) + L" (error " +
                              std::to_wstring(saved.code()) + L").";
    ::MessageBoxW(hwnd(), text.c_str(), Wide(app::kProductName).c_str(), MB_OK | MB_ICONERROR);
  }

  INT_PTR OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_CL_CONTENT) return FALSE;
    if (header.code == LVN_ITEMCHANGED) {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (drawing_rows_ || !(change.uChanged & LVIF_STATE) ||
          ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) == 0) {
        return FALSE;
      }
      const int row = ListView_GetNextItem(header.hwndFrom, -1, LVNI_SELECTED);
      model_.Select(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
      DrawButtons();
      return TRUE;
    }
    if (header.code == NM_DBLCLK) {
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
      if (activate.iItem >= 0 && model_.selection() == static_cast<std::size_t>(activate.iItem)) EditSelectedRow();
      return TRUE;
    }
    return FALSE;
  }

  INT_PTR OnInitDialog() override {
    ::SetWindowTextW(hwnd(), L"Edit Custom Item");
    SetUpContentList();
    model_.Load();
    DrawRows();
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_NOTIFY) return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
    if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wparam)) {
      case IDC_CL_ADD_FOLDER:
        Append(RunAddFolderDialog(instance(), hwnd(), model_.NewFolderDialog()));
        return TRUE;
      case IDC_CL_ADD_REGISTRY:
        Append(RunAddRegistryDialog(instance(), hwnd(), AddRegistryDialog(), model_));
        return TRUE;
      case IDC_CL_EDIT:
        EditSelectedRow();
        return TRUE;
      case IDC_CL_REMOVE:
        model_.RemoveSelected();
        DrawRows();
        return TRUE;
      case IDOK:
        SaveAndClose();
        return TRUE;
      default:
        return EndsDialog(LOWORD(wparam), false) ? TRUE : FALSE;
    }
  }

  CustomListEditor& model_;
  bool drawing_rows_ = false;  // selection changes we make ourselves are not the user's
};

}  // namespace

void ShowCustomListEditor(HINSTANCE instance, HWND owner, CustomListEditor& editor) {
  CustomListWindow dialog(editor);
  if (dialog.RunModal(instance, owner, IDD_CUSTOM_LIST) == -1) {
    ShowUnexpectedError(owner, "the custom list editor could not be opened");
  }
}

}  // namespace norvik::ui
