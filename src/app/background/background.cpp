#include "app/background/background.h"

namespace norvik::app {

unsigned Background::IntervalOf(int clean_interval) {
  constexpr unsigned kMinute = 60 * 1000;
  switch (clean_interval) {
    case 1: return 30 * kMinute;
    case 2: return 60 * kMinute;
    case 3: return 4 * 60 * kMinute;
    case 4: return 8 * 60 * kMinute;
    default: return 15 * kMinute;
  }
}

void Background::ArmSchedule() { view_.SetScheduleTimer(settings_.AutoClean, IntervalOf(settings_.CleanInterval)); }

void Background::SetTrayIcon(bool add) {
  if (add) {
    view_.AddTrayIcon(kTrayTip);
  } else {
    view_.RemoveTrayIcon();
  }
}

void Background::MinimiseToTray(bool icon_present) {
  view_.MinimiseTowardsTray();
  if (!icon_present) SetTrayIcon(true);
}

void Background::TrayIconMessage(unsigned mouse_message) {
  if (mouse_message == kWmLButtonDown) {
    ShowMainWindow();
    view_.SelectFirstLogLine();
  } else if (mouse_message == kWmRButtonDown) {
    view_.PopupTrayMenu();
  }
}

void Background::ShowMainWindow() {
  // The icon stands in for the minimised window only.
  if (view_.IsMinimised()) SetTrayIcon(false);
  view_.RestoreFromTray();
}

void Background::RegisterBossKey() {
  hotkey_atom_ = view_.AddAtom(kBossKeyAtomName);
  unsigned modifiers = 0;
  if (settings_.IsCtrl) modifiers |= kModControl;
  if (settings_.IsShift) modifiers |= kModShift;
  if (settings_.IsAlt) modifiers |= kModAlt;
  // The program runs on without a boss key until the user picks another one.
  if (hotkey_atom_ == 0 || !view_.RegisterHotkey(hotkey_atom_, modifiers, settings_.CharAscII)) {
    prompts_.ShowError(kBossKeyFailedMessage);
  }
}

void Background::UnregisterBossKey() {
  const std::uint16_t atom = view_.FindAtom(kBossKeyAtomName);
  if (atom == 0) return;
  view_.UnregisterHotkey(atom);
  view_.DeleteAtom(atom);
}

void Background::HotkeyMessage(std::uintptr_t id) {
  // Every press flips the state, whether or not a browser is open.
  boss_hidden_ = !boss_hidden_;
  if (hotkey_atom_ != 0 && id == hotkey_atom_) view_.ShowTopLevelWindowsOf(kBrowserWindowClasses, !boss_hidden_);
}

void Background::ShowHiddenBrowserWindows() {
  view_.ShowTopLevelWindowsOf(kBrowserWindowClasses, true);
  boss_hidden_ = false;
}

}  // namespace norvik::app
