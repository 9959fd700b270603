#pragma once
// The tray icon, minimising to the notification area, the boss key's atom and hotkey and
// the browsers' windows it hides, and the schedule's timer, for the main window.

#include "platform/win32/windows_api.h"

#include "app/background/background.h"
#include "app/product.h"

namespace norvik::ui {

class ShellBackground final : public app::BackgroundView {
 public:
  // The main window's handle, read when needed: it is set during creation.
  explicit ShellBackground(const HWND& hwnd) : hwnd_(hwnd) {}

  // The extended style the window has at rest; minimising changes it for a moment.
  void RememberExStyle() { saved_ex_style_ = ::GetWindowLongW(hwnd_, GWL_EXSTYLE); }
  // At the window's end: an icon left behind would stay until the mouse passes over it.
  void RemoveIconIfShown() {
    if (icon_shown_) RemoveTrayIcon();
  }

  void AddTrayIcon(std::string_view tip) override;
  void RemoveTrayIcon() override;
  void MinimiseTowardsTray() override;
  bool IsMinimised() override { return ::IsIconic(hwnd_) != FALSE; }
  void RestoreFromTray() override;
  void SelectFirstLogLine() override;
  void PopupTrayMenu() override;
  std::uint16_t AddAtom(std::string_view name) override;
  std::uint16_t FindAtom(std::string_view name) override;
  void DeleteAtom(std::uint16_t atom) override { ::GlobalDeleteAtom(atom); }
  bool RegisterHotkey(std::uint16_t id, unsigned modifiers, unsigned virtual_key) override {
    return ::RegisterHotKey(hwnd_, id, modifiers, virtual_key) != FALSE;
  }
  void UnregisterHotkey(std::uint16_t id) override { ::UnregisterHotKey(hwnd_, id); }
  void ShowTopLevelWindowsOf(const std::array<std::string_view, 5>& classes, bool show) override;
  void SetScheduleTimer(bool enabled, unsigned interval_ms) override;

 private:
  const HWND& hwnd_;
  LONG saved_ex_style_ = 0;
  bool icon_shown_ = false;
};

}  // namespace norvik::ui
