#pragma once
// The progress dialog over app::dialogs::BackupHint.

#include "platform/win32/windows_api.h"

#include <string_view>

#include "platform/system.h"

namespace norvik::ui {

// Modal until `process` ends (true) or "Stop" ends it (false).
bool ShowBackupHint(HINSTANCE instance, HWND owner, platform::Process& process, std::string_view hint);

}  // namespace norvik::ui
