#pragma once
// TfrmOptions, drawn from and written back into its controller.

#include "platform/win32/windows_api.h"

#include "app/dialogs/options_dialog.h"

namespace norvik::ui {

// True when it closed with "&OK".
bool RunOptionsDialog(HINSTANCE instance, HWND owner, app::dialogs::OptionsDialog& model);

}  // namespace norvik::ui
