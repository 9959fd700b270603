#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/add_folder/add_folder_dialog.h"

#include <utility>
#include <vector>

#include "platform/win32/browse_for_folder.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/add_folder/add_folder_ids.h"
#include "ui/dialogs/dialog_base.h"

namespace norvik::ui {
namespace {

using app::dialogs::AddFolderDialog;
using app::dialogs::DeletingMode;
using app::dialogs::FolderChoice;
using platform::win32::Wide;

constexpr char kBrowseTitle[] = "Please select the directory to add";

class AddFolderWindow final : public DialogBase {
 public:
  explicit AddFolderWindow(AddFolderDialog model) : model_(std::move(model)) {}
  const AddFolderDialog& model() const { return model_; }

 private:
  void DrawFileList() {
    const HWND list = ::GetDlgItem(hwnd(), IDC_AF_FILES);
    const std::vector<std::string>& names = model_.file_names();
    if (listed_ != names) {
      ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
      ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
      for (const std::string& name : names) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
      }
      ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
      ::InvalidateRect(list, nullptr, TRUE);
      listed_ = names;
    }
    const auto selected = model_.selected_file();
    ::SendMessageW(list, LB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
  }

  void Draw() {
    const bool single = model_.FileGroupVisible();
    ::CheckRadioButton(hwnd(), IDC_AF_SINGLE, IDC_AF_MULTIPLE, single ? IDC_AF_SINGLE : IDC_AF_MULTIPLE);
    ::CheckRadioButton(hwnd(), IDC_AF_WHOLE, IDC_AF_WILDCARD,
                       model_.deleting_mode() == DeletingMode::WholeFolder ? IDC_AF_WHOLE : IDC_AF_WILDCARD);
    Show({IDC_AF_FILE_GROUP, IDC_AF_FILES}, single);
    Show({IDC_AF_MODE_GROUP, IDC_AF_WHOLE, IDC_AF_WILDCARD, IDC_AF_PATTERN, IDC_AF_PATTERN_HINT}, !single);
    DrawFileList();
    Enable(IDOK, model_.CanAccept());
  }

  INT_PTR OnInitDialog() override {
    SetItemText(IDC_AF_PATTERN, model_.pattern());
    Draw();
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM) override {
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    switch (id) {
      case IDC_AF_FOLDER:
        if (code != EN_CHANGE) return FALSE;
        model_.SetFolder(ItemText(id));
        break;
      case IDC_AF_BROWSE: {
        const auto chosen = platform::win32::BrowseForFolder(hwnd(), kBrowseTitle);
        if (!chosen) return TRUE;
        SetItemText(IDC_AF_FOLDER, *chosen);
        model_.FolderBrowsed(*chosen);
        break;
      }
      case IDC_AF_SINGLE:
      case IDC_AF_MULTIPLE:
        if (code != BN_CLICKED) return FALSE;
        model_.SetChoice(id == IDC_AF_SINGLE ? FolderChoice::SingleFile : FolderChoice::MultipleFiles);
        break;
      case IDC_AF_FILES: {
        if (code != LBN_SELCHANGE) return FALSE;
        const LRESULT row = ::SendDlgItemMessageW(hwnd(), id, LB_GETCURSEL, 0, 0);
        model_.SelectFile(row == LB_ERR ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
        break;
      }
      case IDC_AF_WHOLE:
      case IDC_AF_WILDCARD:
        if (code != BN_CLICKED) return FALSE;
        model_.SetDeletingMode(id == IDC_AF_WHOLE ? DeletingMode::WholeFolder : DeletingMode::Wildcard);
        break;
      case IDC_AF_PATTERN:
        if (code != EN_CHANGE) return FALSE;
        model_.SetPattern(ItemText(id));
        break;
      default:
        return EndsDialog(id, model_.CanAccept() && !RefusesOk(id, model_.Refusal())) ? TRUE : FALSE;
    }
    Draw();
    return TRUE;
  }

  AddFolderDialog model_;
  std::optional<std::vector<std::string>> listed_;  // what lbFile shows
};

}  // namespace

std::optional<std::string> RunAddFolderDialog(HINSTANCE instance, HWND owner, AddFolderDialog start) {
  AddFolderWindow dialog(std::move(start));
  if (dialog.RunModal(instance, owner, IDD_ADD_FOLDER) != IDOK) return std::nullopt;
  return dialog.model().Entry();
}

}  // namespace norvik::ui
