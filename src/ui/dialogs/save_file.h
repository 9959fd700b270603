#pragma once
// The system's save dialog.

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>
#include <string_view>

namespace norvik::ui {

// "Description|*.ext[|Description|*.ext...]" in the form the common dialogs take:
// NUL between the parts and two NULs at the end.
std::wstring DialogFilter(std::string_view filter);

// The chosen path (UTF-8), or nothing when cancelled.
std::optional<std::string> ChooseSaveFile(HWND owner, std::string_view title, std::string_view filter);

}  // namespace norvik::ui
