#include "app/dialogs/restore_backups.h"

#include <algorithm>

#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::app::dialogs {
namespace {

std::string WithBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

void RestoreBackups::Show() {
  view_.SetFolder(folder_);
  List();
}

void RestoreBackups::List() {
  rows_.clear();
  const auto attributes = platform_.files.GetAttributes(folder_);
  if (!attributes || !(*attributes & platform::file_attr::kDirectory)) {
    view_.ShowRows(rows_);
    view_.EnableActions(false);
    prompts_.ShowInformation(kBackupFolderMissing);
    return;
  }
  if (auto found = platform_.files.FindFirst(WithBackslash(folder_) + "*")) {
    std::optional<platform::FindData> entry = std::move(found->first);
    while (entry) {
      const std::string& name = entry->name;
      const auto dot = name.rfind('.');
      if (!entry->is_directory() && dot != std::string::npos && platform::UpperCase(name.substr(dot)) == ".REG") {
        auto local = platform_.system.FileTimeToLocal(entry->last_write_time);
        rows_.push_back({name, local ? platform_.system.FormatDateTime(*local, true) : std::string(),
                         core::FormatSizeKB(static_cast<std::int64_t>(entry->size))});
      }
      auto next = found->rest.Next();
      entry = next ? std::optional<platform::FindData>(std::move(next).value()) : std::nullopt;
    }
  }
  // Names begin with the date and time: the newest backup comes first.
  std::sort(rows_.begin(), rows_.end(), [](const BackupFileRow& a, const BackupFileRow& b) {
    return platform::UpperCase(a.name) > platform::UpperCase(b.name);
  });
  view_.ShowRows(rows_);
  view_.EnableActions(false);
}

void RestoreBackups::BrowseClick() {
  auto chosen = view_.BrowseForFolder(kRestoreBrowseTitle);
  if (!chosen) return;
  folder_ = std::move(*chosen);
  view_.SetFolder(folder_);
  List();
}

void RestoreBackups::OpenDirectoryClick() { (void)platform_.shell.Open(folder_); }

std::string RestoreBackups::PathOf(std::size_t row) const { return WithBackslash(folder_) + rows_[row].name; }

void RestoreBackups::RestoreClick() {
  const auto row = view_.SelectedRow();
  if (!row || *row >= rows_.size()) return;
  const std::string command = "Regedit /s \"" + PathOf(*row) + "\"";
  if (RunAndWait(platform_.shell, prompts_, runner_, command, kRestoreHint) && delete_after_restore_) Delete(*row);
}

void RestoreBackups::DeleteClick() {
  const auto row = view_.SelectedRow();
  if (row && *row < rows_.size()) Delete(*row);
}

void RestoreBackups::Delete(std::size_t row) {
  const std::string path = PathOf(row);
  // A backup that is still there (in use) keeps its row.
  if (!core::DeleteFileSilently(platform_.files, path) && platform_.files.GetAttributes(path)) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  view_.ShowRows(rows_);
  // The row now at the same place, or the new last one.
  std::optional<std::size_t> next;
  if (!rows_.empty()) next = std::min(row, rows_.size() - 1);
  view_.SelectRow(next);
  view_.EnableActions(next.has_value());
}

void RestoreBackups::SelectionChanged() { view_.EnableActions(view_.SelectedRow().has_value()); }

}  // namespace norvik::app::dialogs
