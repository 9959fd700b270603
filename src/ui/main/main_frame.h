#pragma once
// The main window: the window procedure, the title strip, the side buttons and the DPI.
// Each page's controls live in the page's own view (ui/pages/), which the frame creates,
// lays out and routes its controls' messages to by their id block. No decisions are made
// here: the shell (app::MainWindow) and the pages' controllers make them.

#include "platform/win32/windows_api.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_window.h"
#include "ui/main/controls.h"
#include "ui/main/gdi_owners.h"
#include "ui/main/shell_background.h"
#include "ui/main/title_strip.h"
#include "ui/pages/cleaner_page_view.h"
#include "ui/pages/defrag_page_view.h"
#include "ui/pages/registry_page_view.h"
#include "ui/pages/tools_page_view.h"

namespace norvik::ui {

class MainFrame final : public app::MainWindowView {
 public:
  explicit MainFrame(HINSTANCE instance);
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;
  ~MainFrame() override;

  static bool RegisterWindowClass(HINSTANCE instance);
  // Creates the window, hidden, with its initial client size for its monitor's DPI.
  bool Create();
  // The pages' views, for the shell to build its pages on.
  app::PageViews Views() { return {cleaner_, registry_, tools_, defrag_}; }
  // From here on clicks reach the shell and the pages' controllers.
  void Attach(app::MainWindow& controller);
  HWND hwnd() const { return hwnd_; }

  // app::MainWindowView
  void SetSideButtonSelected(int tag, bool selected) override;
  void SetPageVisible(int tag, bool visible) override;
  std::optional<int> WindowShowCommand() override;
  core::WindowBounds CurrentWindowBounds() override;
  app::ScreenSize GetScreenSize() override;
  void SetWindowBounds(const core::WindowBounds& bounds) override;
  void MaximiseWindow() override { ::ShowWindow(hwnd_, SW_MAXIMIZE); }
  void PostToSelf(unsigned message, std::uintptr_t wparam) override;
  void CloseWindow() override { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); }
  // The window is its own taskbar button.
  void HideForUnattendedRun() override { ::ShowWindow(hwnd_, SW_HIDE); }
  app::BackgroundView& TrayView() override { return background_; }
  void PostMinimiseToTray() override { ::PostMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 1); }
  bool AskYesNo(std::string_view question) override;
  void ShowError(std::string_view message) override;
  void ShowInformation(std::string_view message) override;
  void ShowPlainMessage(std::string_view message) override;
  void ShowAboutBox() override;
  bool ShowOptionsDialog(app::dialogs::OptionsDialog& dialog) override;
  void PopupHelpMenu() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* self);

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool HandleProgramMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code, HWND control);
  LRESULT OnCtlColor(UINT message, HDC dc, HWND control);
  // WM_ACTIVATE; true when it is handled in full.
  bool OnActivate(WPARAM wparam);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  // The page view whose id block holds `id`; nothing for the frame's own controls.
  PageView* PageOf(int id) const;

  // Building, laying out and drawing the frame's own parts (main_frame_parts.cpp).
  void CreateControls();
  void ApplyDpi();
  // Lays out the frame and the page that shows, unless neither size nor DPI changed since
  // the last time; `force` after fonts change. A hidden page waits until it is shown.
  void Layout(bool force = false);
  void LayoutPage(std::size_t index);
  // Makes the controls of a page that makes them late, in the window's present fonts.
  void CreatePage(std::size_t index);
  void DrawSideButton(const DRAWITEMSTRUCT& item) const;
  // A click on the title strip: its icon and name, or the update link.
  bool OnTitleClick(POINT client);
  int TitleHeight() const;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  ShellBackground background_{hwnd_};
  app::MainWindow* controller_ = nullptr;
  UINT dpi_ = 96;
  HWND saved_focus_ = nullptr;  // the control that had the focus when the window was left
  Controls controls_;
  std::map<int, bool> side_selected_;  // by tag
  TitleStrip title_strip_;

  // The pages, each registered once here; the frame treats them alike.
  CleanerPageView cleaner_;
  RegistryPageView registry_;
  ToolsPageView tools_;
  DefragPageView defrag_;
  const std::array<PageView*, 4> pages_{&cleaner_, &registry_, &tools_, &defrag_};
  // Where the pages go at the present size, and which of them are not there yet.
  RECT page_rect_{};
  std::array<bool, 4> page_stale_{true, true, true, true};
  std::array<bool, 4> page_created_{};
  SIZE laid_out_size_{};
  UINT laid_out_dpi_ = 0;

  unique_gdi font_;
  unique_gdi bold_font_;
  unique_gdi title_font_;
  unique_gdi link_font_;
  unique_hicon title_icon_;
};

}  // namespace norvik::ui
