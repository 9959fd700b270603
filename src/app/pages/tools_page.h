#pragma once
// The Tools page: the startup manager and backups arrive with their issues; today the
// page opens the index.dat viewer and hides the system backup button where Windows has
// none to start.

#include "app/pages/page.h"
#include "core/settings.h"
#include "platform/platform.h"

namespace norvik::app {

class ToolsPageView {
 public:
  virtual ~ToolsPageView() = default;
  virtual void HideWindowsBackupButton() = 0;
  // The index.dat viewer, modal; its overwrite wipes as the settings say.
  virtual void ShowIndexDatViewer(platform::Platform platform, bool is_wipe_file, int wipe_number) = 0;
};

class ToolsPage final : public Page {
 public:
  ToolsPage(platform::Platform platform, const core::Settings& settings, ToolsPageView& view)
      : platform_(platform), settings_(settings), view_(view) {}

  int Tag() const override { return kTagTools; }
  void Create(std::uint8_t os_code) override {
    // The Windows 95 family has no system backup tool we could start.
    if ((os_code >= 1 && os_code <= 4) || os_code == 8) view_.HideWindowsBackupButton();
  }
  // "Index.dat Viewer...".
  void ViewHistoryClick() { view_.ShowIndexDatViewer(platform_, settings_.IsWipeFile, settings_.WipeNumber); }

 private:
  platform::Platform platform_;
  const core::Settings& settings_;
  ToolsPageView& view_;
};

}  // namespace norvik::app
