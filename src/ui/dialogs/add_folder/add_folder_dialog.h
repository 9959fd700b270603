#pragma once
// TfrmAddFolder: a folder row of the custom clean list.

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>

#include "app/dialogs/custom_list_editor.h"

namespace norvik::ui {

// The entry, or nothing when cancelled.
std::optional<std::string> RunAddFolderDialog(HINSTANCE instance, HWND owner, app::dialogs::AddFolderDialog start);

}  // namespace norvik::ui
