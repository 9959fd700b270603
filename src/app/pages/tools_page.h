#pragma once
// The Tools page: the index.dat viewer, the whole registry exported by the registry
// editor, and the system's own backup program. The startup manager arrives with its
// issue.

#include <optional>
#include <string>
#include <string_view>

#include "app/dialogs/backup_hint.h"
#include "app/pages/page.h"
#include "app/prompts.h"
#include "core/settings.h"
#include "platform/platform.h"

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
};

class ToolsPage final : public Page {
 public:
  ToolsPage(platform::Platform platform, const core::Settings& settings, ToolsPageView& view, Prompts& prompts)
      : platform_(platform), settings_(settings), view_(view), prompts_(prompts) {}

  int Tag() const override { return kTagTools; }
  void Create(std::uint8_t os_code) override {
    // The Windows 95 family has no system backup tool we could start.
    if ((os_code >= 1 && os_code <= 4) || os_code == 8) view_.HideWindowsBackupButton();
  }
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
};

}  // namespace norvik::app
