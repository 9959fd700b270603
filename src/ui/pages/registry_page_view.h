#pragma once
// The Registry page's controls: the section tree, the results list, the key display,
// the scan's bar and status line and the Scan, Fix Errors and Restore buttons.

#include "platform/win32/windows_api.h"

#include "app/pages/registry_page.h"
#include "ui/main/check_tree_control.h"
#include "ui/main/page_view.h"

namespace norvik::ui {

class RegistryPageView final : public PageView, public app::RegistryPageView {
 public:
  RegistryPageView() : PageView(app::kTagRegistry, ids::kRegistryIds) {}
  void Attach(app::RegistryPage& controller) { controller_ = &controller; }

  // PageView
  void Create(const PageHost& host) override;
  void Layout(const Controls& controls, const PageGrid& grid) override;
  void ApplyDpi(UINT dpi, HFONT font) override;
  void OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(const NMHDR& header) override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  // app::RegistryPageView
  // The sections never collapse, so they are shown fully open.
  void RebuildTree(const core::CheckTree& model) override { tree_.Rebuild(model, true); }
  void RefreshTreeChecks(const core::CheckTree& model) override { tree_.RefreshChecks(model); }
  void ExpandNode(core::NodeId id) override { tree_.Expand(id); }
  void SetStatusText(std::string_view text) override;

 private:
  app::RegistryPage* controller_ = nullptr;
  HWND frame_ = nullptr;
  HWND status_ = nullptr;
  CheckTreeControl tree_;
};

}  // namespace norvik::ui
