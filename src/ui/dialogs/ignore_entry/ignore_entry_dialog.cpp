#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/ignore_entry/ignore_entry_dialog.h"

#include <utility>

#include "ui/dialogs/dialog_base.h"
#include "ui/dialogs/ignore_entry/ignore_entry_ids.h"

namespace norvik::ui {
namespace {

using app::dialogs::IgnoreEntryDialog;

class IgnoreEntryWindow final : public DialogBase {
 public:
  explicit IgnoreEntryWindow(IgnoreEntryDialog model) : model_(std::move(model)) {}
  const IgnoreEntryDialog& model() const { return model_; }

 private:
  INT_PTR OnInitDialog() override {
    // The text comes back into the model through EN_CHANGE, which also sets "&OK".
    SetItemText(IDC_IE_KEY, model_.text());
    Enable(IDOK, model_.CanAccept());
    return TRUE;
  }

  INT_PTR OnCommand(int id, int code) override {
    switch (id) {
      case IDC_IE_KEY:
        if (code != EN_CHANGE) return FALSE;
        model_.SetText(ItemText(id));
        Enable(IDOK, model_.CanAccept());
        return TRUE;
      case IDC_IE_REGEDIT:
        if (code != BN_CLICKED) return FALSE;
        model_.LaunchRegistryEditor();
        return TRUE;
      default:
        // Enter reaches "&OK" even while it is disabled.
        return EndsDialog(id, model_.CanAccept()) ? TRUE : FALSE;
    }
  }

  IgnoreEntryDialog model_;
};

}  // namespace

std::optional<std::string> RunIgnoreEntryDialog(HINSTANCE instance, HWND owner, IgnoreEntryDialog start) {
  IgnoreEntryWindow dialog(std::move(start));
  if (dialog.RunModal(instance, owner, IDD_IGNORE_ENTRY) != IDOK) return std::nullopt;
  return dialog.model().text();
}

}  // namespace norvik::ui
