#pragma once
// The Tools page's controls: the startup list and its buttons, the viewers and backups.

#include "platform/win32/windows_api.h"

#include "app/pages/tools_page.h"
#include "ui/main/page_view.h"

namespace norvik::ui {

class ToolsPageView final : public PageView, public app::ToolsPageView {
 public:
  ToolsPageView() : PageView(app::kTagTools, ids::kToolsIds) {}

  void Create(const PageHost& host) override;
  void Layout(const Controls& controls, const PageGrid& grid) override;

  void HideWindowsBackupButton() override { ::ShowWindow(windows_backup_, SW_HIDE); }

 private:
  HWND windows_backup_ = nullptr;
};

}  // namespace norvik::ui
