#pragma once
// The main window: draws what the controller (app::MainWindow) tells it and forwards
// every click, key and window message to it. No decisions are made here.

#include "platform/win32/windows_api.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "ui/main/check_tree_control.h"
#include "ui/main/gdi_owners.h"

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
  // From here on clicks reach the controller.
  void Attach(app::MainWindow& controller);
  HWND hwnd() const { return hwnd_; }

  // app::MainWindowView
  void SetSideButtonSelected(int tag, bool selected) override;
  void SetPageVisible(int tag, bool visible) override;
  void RebuildTree(app::Tree tree) override;
  void RefreshTreeChecks(app::Tree tree) override;
  bool IsNodeExpanded(app::Tree tree, app::NodeId id) override;
  void ExpandNode(app::Tree tree, app::NodeId id) override;
  void ScrollCleanTreeToTop() override;
  void SetFastModeChecked(bool checked) override;
  std::size_t LogLineCount() override;
  std::vector<std::string> LogLines() override;
  void ClearLog() override;
  void AppendLogLines(const std::vector<std::string>& lines) override;
  void ScrollLogToEnd() override;
  void SetLogDoubleBuffered(bool on) override;
  std::uint32_t LogTextColor() override;
  std::uint32_t LogBackgroundColor() override;
  void SetLogTextColor(std::uint32_t colour) override;
  void FitLogHorizontalExtent() override;
  void SetTestButtonCaption(std::string_view caption) override;
  void ShowCleanBar() override;
  int CleanBarPosition() override;
  void SetCleanBarPosition(int position) override;
  void SetCleanBarCaption(std::optional<std::string> caption) override;
  void SetTimer1(bool on) override;
  void SetRunEventTimer(bool on) override;
  bool ShowAskDeleteDialog() override;
  void SetRegistryStatusText(std::string_view text) override;
  void HideWindowsBackupButton() override;
  void DisableAnalyzeRegistry() override;
  void ClearDefragSizeLabels() override;
  void AddDefragRow(std::string_view text) override;
  std::optional<int> WindowShowCommand() override;
  core::WindowBounds CurrentWindowBounds() override;
  core::ScreenSize GetScreenSize() override;
  void SetWindowBounds(const core::WindowBounds& bounds) override;
  void MaximiseWindow() override;
  void RestoreAndShowWindow() override;
  void PostToSelf(unsigned message, std::uintptr_t wparam) override;
  void CloseWindow() override;
  bool AskYesNo(std::string_view question) override;
  void ShowError(std::string_view message) override;
  void ShowInformation(std::string_view message) override;
  void ShowPlainMessage(std::string_view message) override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) override;
  void ShowAboutBox() override;
  void ShowCustomListEditor() override;
  void ShowOptionsDialog() override;
  void PopupHelpMenu() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK TreeProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK CleanBarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR self);

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleTreeMessage(HWND tree, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(const NMHDR& header);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  LRESULT OnCtlColorListBox(HDC dc, HWND control);
  void OnTimer(UINT_PTR id);
  void OnDpiChanged(UINT dpi, const RECT& suggested);

  // Building and laying out the window.
  void CreateControls();
  void CreateTitleStrip();
  void CreateCleanerPage();
  void CreateRegistryPage();
  void CreateToolsPage();
  void CreateDefragPage();
  HWND AddControl(HWND parent, int id, const wchar_t* window_class, std::wstring_view text,
                  DWORD style, DWORD ex_style = 0);
  HWND AddButton(HWND parent, int id, std::wstring_view text, DWORD style = BS_PUSHBUTTON);
  HWND AddLabel(HWND parent, int id, std::wstring_view text, DWORD style = SS_LEFT);
  HWND AddReportList(HWND parent, int id, DWORD ex_list_style);
  void AddCheckTree(HWND page, int id, CheckTreeControl& control);
  struct ListColumn {
    const wchar_t* title;
    int width;  // at 96 DPI
    bool right_aligned = false;
  };
  void AddColumns(int list_id, std::initializer_list<ListColumn> columns);
  HWND Page(int tag) const;
  HWND Control(int id) const;
  void ApplyDpi();  // fonts, images and list columns for dpi_
  void Layout();
  void Place(int id, int x, int y, int width, int height);

  // Drawing.
  void PaintTitleBand(HDC dc, POINT origin) const;
  void DrawSideButton(const DRAWITEMSTRUCT& item) const;
  // The clean bar with its caption on top, drawn off screen so the text never flickers.
  void PaintCleanBar(HWND bar, HDC dc) const;
  int TitleHeight() const;

  CheckTreeControl& TreeControl(app::Tree tree);
  void ForwardTreeClick(app::Tree tree, std::optional<app::NodeId> node, app::TreeHit hit);
  void PopupLogMenu(POINT screen);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  app::MainWindow* controller_ = nullptr;
  UINT dpi_ = 96;
  HWND saved_focus_ = nullptr;  // the control that had the focus when the window was left

  std::map<int, HWND> controls_;                // by control id
  std::map<int, bool> side_selected_;           // by tag
  struct Column {
    int list_id;
    int width;  // at 96 DPI
  };
  std::vector<Column> columns_;

  CheckTreeControl clean_tree_;
  CheckTreeControl section_tree_;
  // Rebuilds asked for before Attach; done once the controller is known.
  std::vector<app::Tree> pending_rebuilds_;

  unique_gdi font_;
  unique_gdi bold_font_;
  unique_gdi title_font_;
  unique_gdi link_font_;
  unique_hicon title_icon_;

  // The log's text colour; its background is always the window colour.
  COLORREF log_text_color_ = ::GetSysColor(COLOR_WINDOWTEXT);
  // Drawn centred on the clean bar; nothing while hidden. The bar's window text holds
  // the same, for whoever reads the control.
  std::optional<std::wstring> clean_bar_caption_;
};

}  // namespace norvik::ui
