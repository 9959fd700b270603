#pragma once
// The Cleaner page's controls: the clean-item tree, the log, the bar with its caption,
// Fast Mode, Test and Clean. Draws what app::CleanerPage tells it and forwards clicks.

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>
#include <vector>

#include "app/pages/cleaner_page.h"
#include "ui/main/captioned_bar.h"
#include "ui/main/check_tree_control.h"
#include "ui/main/page_view.h"

namespace norvik::ui {

class CleanerPageView final : public PageView, public app::CleanerPageView {
 public:
  CleanerPageView() : PageView(app::kTagCleaner, ids::kCleanerIds) {}
  void Attach(app::CleanerPage& controller) { controller_ = &controller; }
  HWND tree() const { return tree_.hwnd(); }

  // PageView
  void Create(const PageHost& host) override;
  void Layout(const Controls& controls, const PageGrid& grid) override;
  void ApplyDpi(UINT dpi, HFONT font) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnTimer(int id) override;
  bool OnContextMenu(HWND control, POINT screen) override;
  HBRUSH OnCtlColor(HDC dc, HWND control) override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  // app::CleanerPageView
  void RebuildTree(const core::CheckTree& model) override { tree_.Rebuild(model, false); }
  void RefreshTreeChecks(const core::CheckTree& model) override { tree_.RefreshChecks(model); }
  bool IsNodeExpanded(core::NodeId id) override { return tree_.IsExpanded(id); }
  void ExpandNode(core::NodeId id) override { tree_.Expand(id); }
  void ScrollTreeToTop() override { tree_.ScrollToTop(); }
  void SetFastModeChecked(bool checked) override;
  std::size_t LogLineCount() override;
  std::vector<std::string> LogLines() override;
  void ClearLog() override;
  void AppendLogLines(const std::vector<std::string>& lines) override;
  void ScrollLogToEnd() override;
  void SetLogDoubleBuffered(bool on) override;
  std::uint32_t LogTextColor() override { return log_text_color_; }
  std::uint32_t LogBackgroundColor() override { return ::GetSysColor(COLOR_WINDOW); }
  void SetLogTextColor(std::uint32_t colour) override;
  void FitLogHorizontalExtent() override;
  void SetTestButtonCaption(std::string_view caption) override;
  void ShowCleanBar() override { ::ShowWindow(bar_, SW_SHOW); }
  int CleanBarPosition() override;
  void SetCleanBarPosition(int position) override;
  void SetCleanBarCaption(std::optional<std::string> caption) override;
  void SetTimer1(bool on) override;
  void SetRunEventTimer(bool on) override;
  void PostToSelf(unsigned message, std::uintptr_t wparam) override;
  bool ShowAskDeleteDialog() override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) override;
  void ShowCustomListEditor(app::dialogs::CustomListEditor& editor) override;

 private:
  void SetTimer(int id, UINT interval, bool on) const;

  app::CleanerPage* controller_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HWND frame_ = nullptr;
  HWND log_ = nullptr;
  HWND bar_ = nullptr;
  HWND fast_mode_ = nullptr;
  HWND test_ = nullptr;
  UINT dpi_ = kBaseDpi;
  HFONT font_ = nullptr;
  CheckTreeControl tree_;
  // The log's text colour; its background is always the window colour.
  COLORREF log_text_color_ = ::GetSysColor(COLOR_WINDOWTEXT);
  CaptionedBar bar_caption_;
  // The widest log line so far, measured as lines arrive (in the font named), so that the
  // end of a long run does not measure 100,000 lines at once.
  LONG widest_line_ = 0;
  HGDIOBJ widest_font_ = nullptr;
};

}  // namespace norvik::ui
