#pragma once
// The Tools page: the startup manager and backups arrive with their issues; today the
// page only hides the system backup button where Windows has none to start.

#include "app/pages/page.h"

namespace norvik::app {

class ToolsPageView {
 public:
  virtual ~ToolsPageView() = default;
  virtual void HideWindowsBackupButton() = 0;
};

class ToolsPage final : public Page {
 public:
  explicit ToolsPage(ToolsPageView& view) : view_(view) {}

  int Tag() const override { return kTagTools; }
  void Create(std::uint8_t os_code) override {
    // The Windows 95 family has no system backup tool we could start.
    if ((os_code >= 1 && os_code <= 4) || os_code == 8) view_.HideWindowsBackupButton();
  }

 private:
  ToolsPageView& view_;
};

}  // namespace norvik::app
