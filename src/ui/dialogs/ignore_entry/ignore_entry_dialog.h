#pragma once
// TfrmRegAddRegistry: one entry of the ignore lists, new or edited.

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>

#include "app/dialogs/ignore_entry_dialog.h"

namespace norvik::ui {

// The accepted text, or nothing when cancelled.
std::optional<std::string> RunIgnoreEntryDialog(HINSTANCE instance, HWND owner, app::dialogs::IgnoreEntryDialog start);

}  // namespace norvik::ui
