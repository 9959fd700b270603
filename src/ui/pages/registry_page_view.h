#pragma once
// The Registry page's controls: the section tree, the results list (owner data: the
// rows live in the controller, so 100,000 of them cost the control nothing), the key
// display, the scan's bar and status line and the Scan, Fix Errors and Restore buttons.

#include "platform/win32/windows_api.h"

#include <string>

#include "app/pages/registry_page.h"
#include "ui/main/captioned_bar.h"
#include "ui/main/check_tree_control.h"
#include "ui/main/page_view.h"

namespace norvik::ui {

class RegistryPageView final : public PageView, public app::RegistryPageView {
 public:
  RegistryPageView() : PageView(app::kTagRegistry, ids::kRegistryIds) {}
  void Attach(app::RegistryPage& controller) { controller_ = &controller; }

  // PageView
  void Create(const PageHost& host) override;
  bool CreatedAtStart() const override { return false; }
  void Layout(const Controls& controls, const PageGrid& grid) override;
  void ApplyDpi(UINT dpi, HFONT font) override;
  void OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(const NMHDR& header) override;
  void OnTimer(int id) override;
  bool OnContextMenu(HWND control, POINT screen) override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  // app::RegistryPageView
  // The sections never collapse, so they are shown fully open.
  void RebuildTree(const core::CheckTree& model) override;
  void RefreshTreeChecks(const core::CheckTree& model) override;
  void ExpandNode(core::NodeId id) override;
  void SetStatusText(std::string_view text) override;
  void SetScanTitle(std::string_view text) override;
  void SetKeyText(std::string_view text) override;
  void ShowKeyDisplay(bool shown) override;
  void ShowRestoreButton(bool shown) override;
  void SetScanButtonCaption(std::string_view caption) override;
  void ShowScanBar() override;
  void SetScanBarPosition(int position) override;
  void SetScanBarCaption(std::optional<std::string> caption) override;
  void SetTimer1(bool on) override;
  void SetScanEventTimer(bool on) override;
  void PostToSelf(unsigned message) override;
  void SetRowCount(std::size_t count) override;
  void RedrawRows() override;
  void FitColumns(bool empty) override;
  std::vector<std::size_t> SelectedRows() override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) override;
  void OpenRegistryEditor(std::string_view root, std::string_view key, std::string_view value) override;
  bool ShowRestorePointDialog(platform::System& system, app::WorkerYard& yard, bool unattended) override;
  void ShowRestoreDialog(platform::Platform platform, const std::string& folder, bool delete_after_restore) override;

 private:
  void FillItem(NMLVDISPINFOW& info);
  void SetTimer(int id, UINT interval, bool on);
  std::optional<std::size_t> FirstSelected() const;

  app::RegistryPage* controller_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HWND frame_ = nullptr;
  HWND status_ = nullptr;
  HWND title_ = nullptr;
  HWND list_ = nullptr;
  HWND keys_ = nullptr;
  HWND bar_ = nullptr;
  HWND scan_ = nullptr;
  HWND restore_ = nullptr;
  // Until the page is first shown it has no controls; the tree and two texts wait here,
  // anything else makes the controls at once.
  bool made_ = false;
  bool tree_built_ = false;
  const core::CheckTree* tree_model_ = nullptr;
  std::wstring status_text_;
  std::wstring scan_title_;
  CheckTreeControl tree_;
  CaptionedBar bar_caption_;
  std::wstring cell_;  // the text handed to the list for the cell it asked about
};

}  // namespace norvik::ui
