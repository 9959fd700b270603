#pragma once
// The program's life out of sight: the tray icon and its menu, minimising to the tray,
// the boss key that hides the browsers' windows, and the scheduled clean. The Win32 side
// (ui/main/shell_background) implements BackgroundView; the tests fake it.

#include <array>
#include <cstdint>
#include <string_view>

#include "app/prompts.h"
#include "core/settings.h"

namespace norvik::app {

inline constexpr std::string_view kTrayTip = "Left Click to activate Cleaner\r\nRight Click to popup menu";
inline constexpr std::string_view kBossKeyAtomName = "MyVESKHotkey_Hide";
inline constexpr std::string_view kBossKeyFailedMessage =
    "The hotkey for Boss Key failed, please try to use other key!";
// The top-level windows the boss key hides, by their exact class names.
inline constexpr std::array<std::string_view, 5> kBrowserWindowClasses = {
    "IEFrame", "NS_AE_WindowClass", "MozillaWindowClass", "MozillaUIWindowClass", "OpWindow"};

// RegisterHotKey's modifier bits.
inline constexpr unsigned kModAlt = 1;
inline constexpr unsigned kModControl = 2;
inline constexpr unsigned kModShift = 4;

// The tray icon's mouse messages that mean something.
inline constexpr unsigned kWmLButtonDown = 513;
inline constexpr unsigned kWmRButtonDown = 516;

class BackgroundView {
 public:
  virtual ~BackgroundView() = default;
  // The notification area icon: the window's icon, our callback message, `tip`.
  virtual void AddTrayIcon(std::string_view tip) = 0;
  virtual void RemoveTrayIcon() = 0;
  // Minimises towards the notification area without a taskbar button left, then hides.
  virtual void MinimiseTowardsTray() = 0;
  virtual bool IsMinimised() = 0;
  // Shows the window, restoring it when minimised, and brings it to the front.
  virtual void RestoreFromTray() = 0;
  virtual void SelectFirstLogLine() = 0;
  // pmSelf at the cursor, the window in front.
  virtual void PopupTrayMenu() = 0;

  // Global atoms and the hotkey; 0 is no atom.
  virtual std::uint16_t AddAtom(std::string_view name) = 0;
  virtual std::uint16_t FindAtom(std::string_view name) = 0;
  virtual void DeleteAtom(std::uint16_t atom) = 0;
  virtual bool RegisterHotkey(std::uint16_t id, unsigned modifiers, unsigned virtual_key) = 0;
  virtual void UnregisterHotkey(std::uint16_t id) = 0;
  // Shows or hides every top-level window whose class is one of `classes`.
  virtual void ShowTopLevelWindowsOf(const std::array<std::string_view, 5>& classes, bool show) = 0;

  // Timer2: the scheduled clean's tick.
  virtual void SetScheduleTimer(bool enabled, unsigned interval_ms) = 0;
};

class Background final {
 public:
  Background(const core::Settings& settings, BackgroundView& view, Prompts& prompts)
      : settings_(settings), view_(view), prompts_(prompts) {}

  // The schedule's period for a CleanInterval choice; unknown choices get the shortest.
  static unsigned IntervalOf(int clean_interval);
  // Timer2 from AutoClean and CleanInterval, at start and after the options change.
  void ArmSchedule();

  void SetTrayIcon(bool add);
  // SC_MINIMIZE; `icon_present` when the icon is there already ("/Auto").
  void MinimiseToTray(bool icon_present);
  void TrayIconMessage(unsigned mouse_message);
  void ShowMainWindow();

  void RegisterBossKey();
  void UnregisterBossKey();
  void HotkeyMessage(std::uintptr_t id);
  bool BossHidden() const { return boss_hidden_; }
  // At close: what the boss key hid comes back.
  void ShowHiddenBrowserWindows();

 private:
  const core::Settings& settings_;
  BackgroundView& view_;
  Prompts& prompts_;
  std::uint16_t hotkey_atom_ = 0;
  bool boss_hidden_ = false;
};

}  // namespace norvik::app
