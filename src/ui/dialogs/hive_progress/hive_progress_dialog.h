#pragma once
// The registry analysis progress dialog over app::dialogs::HiveProgress.

#include "platform/win32/windows_api.h"

#include "app/dialogs/hive_progress.h"

namespace norvik::ui {

// Modal; true when every copy was made.
bool ShowHiveProgressDialog(HINSTANCE instance, HWND owner, const app::dialogs::HiveProgressSetup& setup);

}  // namespace norvik::ui
