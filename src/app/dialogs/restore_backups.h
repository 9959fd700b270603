#pragma once
// The Restore dialog ("TfrmRestore"): lists the REGEDIT4 backups of a folder, newest
// first, imports one again with the registry editor, opens the folder, deletes backups.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialogs/backup_hint.h"
#include "app/prompts.h"
#include "platform/platform.h"

namespace norvik::app::dialogs {

inline constexpr std::string_view kBackupFolderMissing = "can not find the backup folder.";
inline constexpr std::string_view kRestoreBrowseTitle = "Please select the directory to add";
inline constexpr std::string_view kRestoreHint = "Restore registry...";

struct BackupFileRow {
  std::string name;  // "Backup file"
  std::string date;  // last write, local time in the locale's format
  std::string size;  // "2 KB"
};

class RestoreView {
 public:
  virtual ~RestoreView() = default;
  virtual void SetFolder(std::string_view folder) = 0;
  // The list shows the controller's rows; nothing is selected afterwards.
  virtual void ShowRows(const std::vector<BackupFileRow>& rows) = 0;
  virtual std::optional<std::size_t> SelectedRow() = 0;
  virtual void SelectRow(std::optional<std::size_t> row) = 0;
  // "&Restore" and "&Delete".
  virtual void EnableActions(bool enabled) = 0;
  virtual std::optional<std::string> BrowseForFolder(std::string_view title) = 0;
};

class RestoreBackups {
 public:
  RestoreBackups(RestoreView& view, platform::Platform platform, Prompts& prompts, BackupHintRunner& runner,
                 std::string folder, bool delete_after_restore)
      : view_(view),
        platform_(platform),
        prompts_(prompts),
        runner_(runner),
        folder_(std::move(folder)),
        delete_after_restore_(delete_after_restore) {}

  void Show();
  void BrowseClick();
  void OpenDirectoryClick();
  // "&Restore" and a double click on a row.
  void RestoreClick();
  void DeleteClick();
  void SelectionChanged();

  const std::string& Folder() const { return folder_; }
  const std::vector<BackupFileRow>& Rows() const { return rows_; }

 private:
  void List();
  std::string PathOf(std::size_t row) const;
  void Delete(std::size_t row);

  RestoreView& view_;
  platform::Platform platform_;
  Prompts& prompts_;
  BackupHintRunner& runner_;
  std::string folder_;
  bool delete_after_restore_;
  std::vector<BackupFileRow> rows_;
};

}  // namespace norvik::app::dialogs
