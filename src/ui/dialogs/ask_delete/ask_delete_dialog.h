#pragma once
// TfrmAskDelete, asked before a clean: true for "&OK". Every click on its "Don't show me
// this message again" box calls `check_clicked` with the new tick.

#include "platform/win32/windows_api.h"

#include <functional>

namespace norvik::ui {

bool ShowAskDeleteDialog(HINSTANCE instance, HWND owner, std::function<void(bool)> check_clicked);

}  // namespace norvik::ui
