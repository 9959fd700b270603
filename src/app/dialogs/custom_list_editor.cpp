#include "app/dialogs/custom_list_editor.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace norvik::app::dialogs {

std::optional<std::size_t> SelectionAfterRemoval(std::size_t removed, std::size_t remaining) {
  if (remaining == 0) return std::nullopt;
  return std::min(removed, remaining - 1);
}

AddRegistryDialog AddRegistryDialog::FromRow(std::string_view row) {
  AddRegistryDialog dialog;
  const std::size_t comma = row.find(',');
  if (comma == std::string_view::npos) {
    dialog.key_ = std::string(row);
    return dialog;
  }
  dialog.key_ = std::string(row.substr(0, comma));
  dialog.value_name_ = std::string(row.substr(comma + 1));
  dialog.choice_ = dialog.value_name_.empty() ? RegistryChoice::DeleteValues : RegistryChoice::DeleteValue;
  return dialog;
}

bool AddRegistryDialog::CanAccept() const {
  if (platform::UpperCase(key_).find("HKEY_") == std::string::npos) return false;
  return choice_ != RegistryChoice::DeleteValue || !value_name_.empty();
}

std::string_view AddRegistryDialog::Refusal() const {
  return key_.find(',') == std::string::npos ? std::string_view() : kCommaInKeyMessage;
}

std::string AddRegistryDialog::Entry() const {
  switch (choice_) {
    case RegistryChoice::DeleteKey:
      return key_;
    case RegistryChoice::DeleteValues:
      return key_ + ",";
    case RegistryChoice::DeleteValue:
      return key_ + "," + value_name_;
  }
  return key_;
}

std::vector<std::string> FileNamesIn(platform::Files& files, std::string_view folder) {
  std::vector<std::string> names;
  std::string pattern(folder);
  if (!pattern.ends_with('\\')) pattern += '\\';
  pattern += '*';
  auto found = files.FindFirst(pattern);
  if (!found) return names;
  for (platform::Result<platform::FindData> entry = std::move(found->first); entry; entry = found->rest.Next()) {
    if (!entry->is_directory()) names.push_back(entry->name);
  }
  return names;
}

void AddFolderDialog::SetFolder(std::string folder) {
  if (folder != folder_) FolderBrowsed(std::move(folder));
}

void AddFolderDialog::FolderBrowsed(std::string folder) {
  folder_ = std::move(folder);
  FillFileList();
}

void AddFolderDialog::SetChoice(FolderChoice choice) {
  choice_ = choice;
  FillFileList();
}

void AddFolderDialog::FillFileList() {
  file_names_.clear();
  selected_file_.reset();
  if (choice_ == FolderChoice::SingleFile && FolderExists()) file_names_ = FileNamesIn(files_, folder_);
}

void AddFolderDialog::SelectFile(std::optional<std::size_t> index) {
  selected_file_ = index && *index < file_names_.size() ? index : std::nullopt;
}

bool AddFolderDialog::FolderExists() const {
  if (folder_.empty()) return false;
  const auto attributes = files_.GetAttributes(folder_);
  return attributes && (*attributes & platform::file_attr::kDirectory) != 0;
}

bool AddFolderDialog::CanAccept() const {
  if (!FolderExists()) return false;
  if (choice_ == FolderChoice::SingleFile) return selected_file_.has_value();
  return mode_ == DeletingMode::WholeFolder || pattern_.size() >= kMinPatternLength;
}

std::string_view AddFolderDialog::Refusal() const {
  return folder_.find(',') == std::string::npos ? std::string_view() : kCommaInFolderMessage;
}

std::string AddFolderDialog::Entry() const {
  if (choice_ == FolderChoice::SingleFile) {
    return selected_file_ ? folder_ + "," + file_names_[*selected_file_] : folder_;
  }
  return mode_ == DeletingMode::WholeFolder ? folder_ : folder_ + "," + pattern_;
}

void CustomListEditor::Load() {
  rows_ = tools::LoadCustomList(platform_.ini, file_);
  selection_.reset();
}

void CustomListEditor::Select(std::optional<std::size_t> index) {
  selection_ = index && *index < rows_.size() ? index : std::nullopt;
}

bool CustomListEditor::CanEdit() const { return selection_ && tools::IsRegistryRow(rows_[*selection_]); }

std::optional<AddRegistryDialog> CustomListEditor::EditSelected() const {
  if (!CanEdit()) return std::nullopt;
  return AddRegistryDialog::FromRow(rows_[*selection_]);
}

void CustomListEditor::ReplaceSelected(std::string entry) {
  if (selection_) rows_[*selection_] = std::move(entry);
}

void CustomListEditor::RemoveSelected() {
  if (!selection_) return;
  const std::size_t removed = *selection_;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(removed));
  selection_ = SelectionAfterRemoval(removed, rows_.size());
}

platform::Status CustomListEditor::Save() {
  if (!CanAccept()) return platform::Status(platform::kErrInvalidParameter);
  return tools::SaveCustomList(platform_.ini, file_, rows_);
}

AddFolderDialog CustomListEditor::NewFolderDialog() const {
  AddFolderDialog dialog(platform_.files);
  dialog.SetChoice(FolderChoice::SingleFile);
  return dialog;
}

void CustomListEditor::OpenRegistryEditor() const { (void)platform_.shell.Open("Regedit.exe"); }

}  // namespace norvik::app::dialogs
