#pragma once
// The Tools page: the startup manager, the index.dat viewer, the whole registry exported
// by the registry editor, and the system's own backup program.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialogs/backup_hint.h"
#include "app/pages/page.h"
#include "app/prompts.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "tools/startup_manager.h"

namespace norvik::app {

inline constexpr std::string_view kFullBackupTitle = "Save full registry";
inline constexpr std::string_view kFullBackupFilter = "Registry backup files (*.reg)|*.REG";
inline constexpr std::string_view kFullBackupHint = "Backup registry...";

// The progress dialog of RunAndWait is the view's to show.
class ToolsPageView : public dialogs::BackupHintRunner {
 public:
  virtual void HideWindowsBackupButton() = 0;
  // The index.dat viewer, modal; its overwrite wipes as the settings say.
  virtual void ShowIndexDatViewer(platform::Platform platform, bool is_wipe_file, int wipe_number) = 0;
  virtual std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) = 0;

  // The startup list: its rows replaced (columns sized to fit when there are any), the
  // check marks read back, one row removed, every row checked or cleared.
  virtual void ShowStartupRows(const std::vector<tools::StartupEntry>& rows) = 0;
  virtual std::vector<bool> StartupChecks() = 0;
  virtual void RemoveStartupRow(std::size_t row) = 0;
  virtual void CheckAllStartupRows(bool checked) = 0;
};

class ToolsPage final : public Page {
 public:
  ToolsPage(platform::Platform platform, const core::Settings& settings, ToolsPageView& view, Prompts& prompts)
      : platform_(platform), settings_(settings), view_(view), prompts_(prompts) {}

  int Tag() const override { return kTagTools; }
  void Create(std::uint8_t os_code) override {
    os_code_ = os_code;
    // The Windows 95 family has no system backup tool we could start.
    if ((os_code >= 1 && os_code <= 4) || os_code == 8) view_.HideWindowsBackupButton();
  }
  // "Startup": the list filled again.
  void StartupClick();
  // "&Delete Entry": the checked entries deleted, registry values after their backup.
  void DeleteEntryClick();
  void SelectAllClick() { view_.CheckAllStartupRows(true); }
  void SelectNoneClick() { view_.CheckAllStartupRows(false); }
  // "Index.dat Viewer...".
  void ViewHistoryClick() { view_.ShowIndexDatViewer(platform_, settings_.IsWipeFile, settings_.WipeNumber); }
  // "Backup Full Registry...".
  void BackupFullRegistryClick();
  // "Windows Backup...".
  void WindowsBackupClick();

 private:
  platform::Platform platform_;
  const core::Settings& settings_;
  ToolsPageView& view_;
  Prompts& prompts_;
  std::uint8_t os_code_ = 0;
  std::vector<tools::StartupEntry> startup_;  // the rows of the startup list
};

}  // namespace norvik::app
