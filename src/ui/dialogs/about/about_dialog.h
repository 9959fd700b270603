#pragma once
// The About box; a click on its link calls `open_home_page`.

#include "platform/win32/windows_api.h"

#include <functional>

namespace norvik::ui {

void ShowAboutBox(HINSTANCE instance, HWND owner, std::function<void()> open_home_page);

}  // namespace norvik::ui
