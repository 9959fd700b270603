#pragma once
// TfrmNewCustomItem, the custom clean list editor ("Edit Custom Item"): modal; the
// editor writes Custom.dat on "&OK".

#include "platform/win32/windows_api.h"

#include "app/dialogs/custom_list_editor.h"

namespace norvik::ui {

void ShowCustomListEditor(HINSTANCE instance, HWND owner, app::dialogs::CustomListEditor& editor);

}  // namespace norvik::ui
