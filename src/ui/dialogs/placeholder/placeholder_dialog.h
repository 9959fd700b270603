#pragma once
// A stand-in for an editor this build does not have yet: a caption, one line, OK.

#include "platform/win32/windows_api.h"

#include <string_view>

namespace norvik::ui {

void ShowPlaceholderDialog(HINSTANCE instance, HWND owner, std::string_view caption, std::string_view text);

}  // namespace norvik::ui
