#pragma once
// The shell's folder picker. Windows build only.

#include <optional>
#include <string>
#include <string_view>

namespace norvik::platform::win32 {

// Shows the picker for file-system folders, centred on the screen, owned by
// `owner_hwnd` (may be null). The chosen folder, or nothing when the user cancels or
// picks something that is not a folder on disk.
std::optional<std::string> BrowseForFolder(void* owner_hwnd, std::string_view title);

}  // namespace norvik::platform::win32
