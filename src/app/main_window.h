#pragma once
// The main window's shell: start-up, activation, closing, page switching, the side
// buttons that open dialogs and the help links. Each page is a room of its own
// (app/pages/); the shell registers them and takes them through these steps. The Win32
// window (ui/) implements MainWindowView and the pages' views; the tests fake them.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/background/background.h"
#include "app/dialogs/options_dialog.h"
#include "app/pages/cleaner_page.h"
#include "app/pages/defrag_page.h"
#include "app/pages/page.h"
#include "app/pages/registry_page.h"
#include "app/pages/tools_page.h"
#include "app/product.h"
#include "app/prompts.h"
#include "core/settings_store.h"
#include "platform/platform.h"

namespace norvik::app {

inline constexpr int kPageTags[] = {kTagCleaner, kTagRegistry, kTagTools, kTagDefrag};
inline constexpr int kSideButtonTags[] = {kTagCleaner, kTagRegistry, kTagTools, kTagDefrag, kTagOptions, kTagHelp};

struct ScreenSize {
  int width = 0;
  int height = 0;
};

class MainWindowView : public Prompts {
 public:
  // Pages: selected side buttons are drawn white, the others in the face colour.
  virtual void SetSideButtonSelected(int tag, bool selected) = 0;
  virtual void SetPageVisible(int tag, bool visible) = 0;

  // The placement's show command (nothing when it cannot be read), the current bounds
  // (right after creation: the initial size) and the screen size.
  virtual std::optional<int> WindowShowCommand() = 0;
  virtual core::WindowBounds CurrentWindowBounds() = 0;
  virtual ScreenSize GetScreenSize() = 0;
  virtual void SetWindowBounds(const core::WindowBounds& bounds) = 0;
  virtual void MaximiseWindow() = 0;
  virtual void PostToSelf(unsigned message, std::uintptr_t wparam = 0) = 0;
  virtual void CloseWindow() = 0;
  // Unattended runs: the window and its taskbar button go out of sight.
  virtual void HideForUnattendedRun() = 0;
  // The tray, the boss key and the schedule's side of the window.
  virtual BackgroundView& TrayView() = 0;
  // WM_SYSCOMMAND / SC_MINIMIZE with lParam 1: to the tray, whose icon is there already.
  virtual void PostMinimiseToTray() = 0;

  virtual void ShowAboutBox() = 0;
  // Modal; true when it closed with "&OK".
  virtual bool ShowOptionsDialog(dialogs::OptionsDialog& dialog) = 0;
  virtual void PopupHelpMenu() = 0;
};

// Every page's view, as the window built them.
struct PageViews {
  CleanerPageView& cleaner;
  RegistryPageView& registry;
  ToolsPageView& tools;
  DefragPageView& defrag;
};

class MainWindow final : public dialogs::OptionsHost {
 public:
  // `args` are the command-line arguments after the program name.
  MainWindow(platform::Platform platform, core::SettingsStore& store, MainWindowView& view, PageViews pages,
             std::vector<std::string> args);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Life cycle, in the order the window goes through it.
  void FormCreate();
  void FormShow();
  // Runs its steps at the first activation only: later activations (after a dialog
  // closes) must not move the window back to the bounds loaded at start.
  void FormActivate();
  void FormClose();
  // WM_QUERYENDSESSION: runs the shut-down clean (as far as the time Windows gives
  // allows) and every close step before answering; true lets Windows end the session.
  bool QueryEndSession();
  // Windows waits about five seconds for an answer before it offers to end the program.
  static constexpr std::chrono::milliseconds kEndSessionBudget{4000};
  // WM_SHOWMAIN from another program, the tray icon and the tray menu's "&Open".
  void ShowMainWindow() { background_.ShowMainWindow(); }
  // SC_MINIMIZE; `icon_present` for the one "/Auto" posts.
  void MinimiseToTray(bool icon_present) { background_.MinimiseToTray(icon_present); }
  void TrayIconMessage(unsigned mouse_message) { background_.TrayIconMessage(mouse_message); }
  // The tray menu's "&Exit": the window closes, then the icon goes.
  void TrayExitClick();
  // The boss key and the schedule; the options dialog calls these when it is accepted.
  void RegisterBossKey() { background_.RegisterBossKey(); }
  void UnregisterBossKey() { background_.UnregisterBossKey(); }
  void HotkeyMessage(std::uintptr_t id) { background_.HotkeyMessage(id); }
  bool BossHidden() const { return background_.BossHidden(); }
  void ArmSchedule() override { background_.ArmSchedule(); }
  // The scheduled clean; ignored while a run is going.
  void Timer2Tick() { cleaner_.AutomaticClean(); }

  // Side buttons.
  void FlatButtonClick(int tag);
  void OptionsClick();
  void HelpClick();

  // Help menu and title strip.
  void OpenHelpPage();
  void OpenHomePage();
  void OpenUpdatePage();
  void AboutClick();

  // WM_AUTOCLEAN ("/Auto" with StartClean, "/Clear"): out of sight, an automatic clean,
  // then a scan as bScan starts it. "/Clear" fixes what the scan found and ends.
  void AutoCleanMessage();
  // How long an unattended "/Clear" waits for its clean before it closes anyway.
  static constexpr std::chrono::minutes kClearCleanBudget{10};
  // "/Regdefrag" and "/Regscan [report file]": the run, then the program ends.
  void UnattendedDefragMessage();
  void UnattendedRegistryReportMessage();

  // State the unattended runs depend on.
  bool ClearSwitch() const { return clear_switch_; }
  bool AutoMode() const { return auto_mode_; }

  CleanerPage& cleaner() { return cleaner_; }
  RegistryPage& registry() { return registry_; }
  ToolsPage& tools() { return tools_; }
  DefragPage& defrag() { return defrag_; }

 private:
  std::string FirstArg() const;
  // The pages' state, the window's placement, then options.ini; a failed write is shown.
  void SaveSettings();
  void OpenUrl(std::string_view url);

  // The options dialog's "&OK".
  void RestartBossKey(bool enabled) override {
    UnregisterBossKey();
    if (enabled) RegisterBossKey();
  }

  // "/Clear": the clean has its time to end (closing would cancel it), then the window closes.
  void FinishClear();

  platform::Platform platform_;
  core::SettingsStore& store_;
  MainWindowView& view_;
  std::vector<std::string> args_;
  CleanerPage cleaner_;
  RegistryPage registry_;
  ToolsPage tools_;
  DefragPage defrag_;
  // Every page in tag order; the shell's steps visit them in this order.
  std::vector<Page*> pages_;
  Background background_;

  bool clear_switch_ = false;
  bool auto_mode_ = false;
  bool activated_ = false;
  bool closed_ = false;
};

}  // namespace norvik::app
