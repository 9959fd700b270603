#pragma once
// The main window's modal dialogs and the system's save dialog.

#include "platform/win32/windows_api.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace norvik::ui {

// An error box for an exception that reached a window procedure.
void ShowUnexpectedError(HWND owner, const char* what);

// Runs `handler` at a window procedure's boundary: an exception it lets out is shown
// to the user and `fallback` returned, so the program goes on.
template <typename Result, typename Handler>
Result ShowingErrors(HWND owner, Result fallback, Handler&& handler) {
  try {
    return handler();
  } catch (const std::exception& error) {
    ShowUnexpectedError(owner, error.what());
  } catch (...) {
    ShowUnexpectedError(owner, "unknown error");
  }
  return fallback;
}

// "Description|*.ext[|Description|*.ext...]" in the form the common dialogs take:
// NUL between the parts and two NULs at the end.
std::wstring DialogFilter(std::string_view filter);

// The system's save dialog; the chosen path (UTF-8), or nothing when cancelled.
std::optional<std::string> ChooseSaveFile(HWND owner, std::string_view title, std::string_view filter);

// The About box; a click on its link calls `open_home_page`.
void ShowAboutBox(HINSTANCE instance, HWND owner, std::function<void()> open_home_page);

// TfrmAskDelete, asked before a clean: true for "&OK". Every click on its
// "Don't show me this message again" box calls `check_clicked` with the new tick.
bool ShowAskDeleteDialog(HINSTANCE instance, HWND owner, std::function<void(bool)> check_clicked);

// A stand-in for an editor this build does not have yet: a caption, one line, OK.
void ShowPlaceholderDialog(HINSTANCE instance, HWND owner, std::wstring_view caption, std::wstring_view text);

}  // namespace norvik::ui
