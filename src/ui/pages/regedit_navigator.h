#pragma once
// Opens the system's registry editor at a key, with a value selected, by driving its
// tree and list the way a user would: the editor is started when it is not running, its
// tree is opened down the path and the value is selected in its list.

#include <string_view>

namespace norvik::ui {

// `root` is a full root name ("HKEY_CURRENT_USER"); `value` may be empty. False when the
// editor could not be found or started, or the path could not be followed to its end.
bool OpenRegistryEditorAt(std::string_view root, std::string_view key, std::string_view value);

}  // namespace norvik::ui
