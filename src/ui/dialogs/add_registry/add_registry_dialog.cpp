#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/add_registry/add_registry_dialog.h"

#include <utility>

#include "ui/dialogs/add_registry/add_registry_ids.h"
#include "ui/dialogs/dialog_base.h"

namespace norvik::ui {
namespace {

using app::dialogs::AddRegistryDialog;
using app::dialogs::RegistryChoice;

int RadioOf(RegistryChoice choice) {
  switch (choice) {
    case RegistryChoice::DeleteKey:
      return IDC_AR_DELETE_KEY;
    case RegistryChoice::DeleteValues:
      return IDC_AR_DELETE_VALUES;
    case RegistryChoice::DeleteValue:
      return IDC_AR_DELETE_VALUE;
  }
  return IDC_AR_DELETE_KEY;
}

class AddRegistryWindow final : public DialogBase {
 public:
  AddRegistryWindow(AddRegistryDialog model, const app::dialogs::CustomListEditor& editor)
      : model_(std::move(model)), editor_(editor) {}
  const AddRegistryDialog& model() const { return model_; }

 private:
  void Draw() {
    ::CheckRadioButton(hwnd(), IDC_AR_DELETE_KEY, IDC_AR_DELETE_VALUE, RadioOf(model_.choice()));
    Enable(IDC_AR_VALUE, model_.ValueNameEnabled());
    Enable(IDOK, model_.CanAccept());
  }

  INT_PTR OnInitDialog() override {
    // Each text comes back into the model through EN_CHANGE.
    SetItemText(IDC_AR_KEY, model_.key());
    SetItemText(IDC_AR_VALUE, model_.value_name());
    Draw();
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM) override {
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    switch (id) {
      case IDC_AR_KEY:
        if (code != EN_CHANGE) return FALSE;
        model_.SetKey(ItemText(id));
        break;
      case IDC_AR_VALUE:
        if (code != EN_CHANGE) return FALSE;
        model_.SetValueName(ItemText(id));
        break;
      case IDC_AR_DELETE_KEY:
      case IDC_AR_DELETE_VALUES:
      case IDC_AR_DELETE_VALUE:
        if (code != BN_CLICKED) return FALSE;
        model_.SetChoice(id == IDC_AR_DELETE_KEY      ? RegistryChoice::DeleteKey
                         : id == IDC_AR_DELETE_VALUES ? RegistryChoice::DeleteValues
                                                      : RegistryChoice::DeleteValue);
        break;
      case IDC_AR_REGEDIT:
        editor_.OpenRegistryEditor();
        return TRUE;
      default:
        return EndsDialog(id, model_.CanAccept() && !RefusesOk(id, model_.Refusal())) ? TRUE : FALSE;
    }
    Draw();
    return TRUE;
  }

  AddRegistryDialog model_;
  const app::dialogs::CustomListEditor& editor_;
};

}  // namespace

std::optional<std::string> RunAddRegistryDialog(HINSTANCE instance, HWND owner, AddRegistryDialog start,
                                                const app::dialogs::CustomListEditor& editor) {
  AddRegistryWindow dialog(std::move(start), editor);
  if (dialog.RunModal(instance, owner, IDD_ADD_REGISTRY) != IDOK) return std::nullopt;
  return dialog.model().Entry();
}

}  // namespace norvik::ui
