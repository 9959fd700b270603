#pragma once
// The restore point dialog over app::dialogs::SystemPoint.

#include "platform/win32/windows_api.h"

#include "app/worker_yard.h"
#include "platform/system.h"

namespace norvik::ui {

// Modal; true when the caller may go on.
bool ShowSystemPointDialog(HINSTANCE instance, HWND owner, platform::System& system, app::WorkerYard& yard,
                           bool unattended = false);

}  // namespace norvik::ui
