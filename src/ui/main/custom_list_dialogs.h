#pragma once
// The custom clean list editor ("Edit Custom Item") and its "Add File and Folder" and
// "Add Registry" dialogs. tools::CustomListEditor and the add dialogs' state classes
// decide; these windows draw them and forward the user's input.

#include "platform/win32/windows_api.h"

#include <string>

#include "platform/platform.h"

namespace norvik::ui {

// Modal; writes Custom.dat in `program_folder` (with its backslash) on "&OK".
void ShowCustomListEditor(HINSTANCE instance, HWND owner, platform::Platform platform,
                          const std::string& program_folder);

// The same on the real machine, for Custom.dat beside the running program.
void ShowCustomListEditor(HINSTANCE instance, HWND owner);

}  // namespace norvik::ui
