#pragma once
// The index.dat viewer window over app::dialogs::IndexDatViewer.

#include "platform/win32/windows_api.h"

#include "platform/platform.h"

namespace norvik::ui {

// Modal; freed when it closes.
void ShowIndexDatViewer(HINSTANCE instance, HWND owner, platform::Platform platform, bool is_wipe_file,
                        int wipe_number);

}  // namespace norvik::ui
