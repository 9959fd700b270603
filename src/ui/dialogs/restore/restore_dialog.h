#pragma once
// The Restore dialog over app::dialogs::RestoreBackups.

#include "platform/win32/windows_api.h"

#include <string>

#include "platform/platform.h"

namespace norvik::ui {

// Modal; freed when it closes.
void ShowRestoreDialog(HINSTANCE instance, HWND owner, platform::Platform platform, const std::string& folder,
                       bool delete_after_restore);

}  // namespace norvik::ui
