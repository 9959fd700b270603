#pragma once
// The Tools page's controls: the startup list and its buttons, the viewer and backups.

#include "platform/win32/windows_api.h"

#include "app/pages/tools_page.h"
#include "ui/main/page_view.h"

namespace norvik::ui {

class ToolsPageView final : public PageView, public app::ToolsPageView {
 public:
  ToolsPageView() : PageView(app::kTagTools, ids::kToolsIds) {}

  void Attach(app::ToolsPage& controller) { controller_ = &controller; }

  // PageView
  void Create(const PageHost& host) override;
  bool CreatedAtStart() const override { return false; }
  void Layout(const Controls& controls, const PageGrid& grid) override;
  void OnCommand(int id, int code, HWND control) override;

  // app::ToolsPageView
  void HideWindowsBackupButton() override;
  void ShowIndexDatViewer(platform::Platform platform, bool is_wipe_file, int wipe_number) override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) override;
  bool ShowBackupHint(platform::Process& process, std::string_view hint) override;
  void ShowStartupRows(const std::vector<tools::StartupEntry>& rows) override;
  std::vector<bool> StartupChecks() override;
  void RemoveStartupRow(std::size_t row) override;
  void CheckAllStartupRows(bool checked) override;

 private:
  app::ToolsPage* controller_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HWND frame_ = nullptr;
  HWND startup_list_ = nullptr;
  HWND windows_backup_ = nullptr;
  bool windows_backup_hidden_ = false;
};

}  // namespace norvik::ui
