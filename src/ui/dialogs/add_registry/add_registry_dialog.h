#pragma once
// TfrmAddRegistry: a registry row of the custom clean list, new or edited.

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>

#include "app/dialogs/custom_list_editor.h"

namespace norvik::ui {

// The entry, or nothing when cancelled. "&Run Registry Editor" goes through `editor`.
std::optional<std::string> RunAddRegistryDialog(HINSTANCE instance, HWND owner, app::dialogs::AddRegistryDialog start,
                                                const app::dialogs::CustomListEditor& editor);

}  // namespace norvik::ui
