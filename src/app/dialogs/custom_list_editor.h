#pragma once
// The custom clean list editor ("Edit Custom Item") and its "Add File and Folder" and
// "Add Registry" dialogs as small state classes: the windows only draw them and forward
// the user's input. The file itself is tools/custom_list.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/status.h"
#include "tools/custom_list.h"

namespace norvik::app::dialogs {

// The row that holds the selection after the selected row `removed` is taken out of
// the list, leaving `remaining` rows: the one now at the same place, else the new last.
std::optional<std::size_t> SelectionAfterRemoval(std::size_t removed, std::size_t remaining);

// A folder or key holding a "," would name another target: the list reads the first ","
// as the start of a file name, mask or value name.
inline constexpr std::string_view kCommaInFolderMessage = "The folder name cannot contain a comma (,).";
inline constexpr std::string_view kCommaInKeyMessage = "The registry key cannot contain a comma (,).";

// TfrmAddRegistry: a registry key and what to delete under it.
enum class RegistryChoice { DeleteKey, DeleteValues, DeleteValue };

class AddRegistryDialog {
 public:
  // Empty, with "Delete key".
  AddRegistryDialog() = default;
  // Pre-filled from a registry row: split at its first ",".
  static AddRegistryDialog FromRow(std::string_view row);

  void SetKey(std::string key) { key_ = std::move(key); }
  void SetChoice(RegistryChoice choice) { choice_ = choice; }
  void SetValueName(std::string name) { value_name_ = std::move(name); }

  const std::string& key() const { return key_; }
  RegistryChoice choice() const { return choice_; }
  const std::string& value_name() const { return value_name_; }

  // eRegistryValue takes input only while "Delete value" is chosen.
  bool ValueNameEnabled() const { return choice_ == RegistryChoice::DeleteValue; }
  bool CanAccept() const;
  // Why "&OK" cannot take the key (the user is told and the dialog stays), or empty.
  std::string_view Refusal() const;
  // key; key + ","; key + "," + value name.
  std::string Entry() const;

 private:
  std::string key_;
  RegistryChoice choice_ = RegistryChoice::DeleteKey;
  std::string value_name_;
};

// TfrmAddFolder: a folder and which files of it to delete.
enum class FolderChoice { SingleFile, MultipleFiles };
enum class DeletingMode { WholeFolder, Wildcard };

class AddFolderDialog {
 public:
  explicit AddFolderDialog(platform::Files& files) : files_(files) {}

  static constexpr std::string_view kInitialPattern = "*.";
  static constexpr std::size_t kMinPatternLength = 3;

  // Typed into eFolder or chosen with "...": a new folder lists its own files (or none),
  // so "&OK" never pairs it with a file picked in another folder.
  void SetFolder(std::string folder);
  // "..." applies the current choice again even to the same folder: it lists it afresh.
  void FolderBrowsed(std::string folder);
  // Choosing "Delete single file" empties the file list and fills it again.
  void SetChoice(FolderChoice choice);
  // A row of the file list, or nothing.
  void SelectFile(std::optional<std::size_t> index);
  void SetDeletingMode(DeletingMode mode) { mode_ = mode; }
  void SetPattern(std::string pattern) { pattern_ = std::move(pattern); }

  const std::string& folder() const { return folder_; }
  FolderChoice choice() const { return choice_; }
  const std::vector<std::string>& file_names() const { return file_names_; }
  std::optional<std::size_t> selected_file() const { return selected_file_; }
  DeletingMode deleting_mode() const { return mode_; }
  const std::string& pattern() const { return pattern_; }

  // Group "Select file" for "Delete single file", "Select deleting mode" otherwise.
  bool FileGroupVisible() const { return choice_ == FolderChoice::SingleFile; }
  bool FolderExists() const;
  bool CanAccept() const;
  // Why "&OK" cannot take the folder (the user is told and the dialog stays), or empty.
  std::string_view Refusal() const;
  // folder + "," + file name; folder; folder + "," + pattern.
  std::string Entry() const;

 private:
  void FillFileList();

  platform::Files& files_;
  std::string folder_;
  FolderChoice choice_ = FolderChoice::SingleFile;
  std::vector<std::string> file_names_;
  std::optional<std::size_t> selected_file_;
  DeletingMode mode_ = DeletingMode::WholeFolder;
  std::string pattern_{kInitialPattern};
};

// Names of the files (not folders) directly in `folder`, in the order they are found.
std::vector<std::string> FileNamesIn(platform::Files& files, std::string_view folder);

// TfrmNewCustomItem: the rows of Custom.dat and the selected one.
class CustomListEditor {
 public:
  // Custom.dat in `data_folder` (with its backslash).
  CustomListEditor(platform::Platform platform, std::string_view data_folder)
      : platform_(platform), file_(tools::CustomListFile(data_folder)) {}

  // On show: the rows as the file holds them, nothing selected.
  void Load();

  const std::vector<std::string>& rows() const { return rows_; }
  std::optional<std::size_t> selection() const { return selection_; }
  // An index past the last row selects nothing.
  void Select(std::optional<std::size_t> index);

  // From "Add &File && Folder" and "Add &Registry".
  void Append(std::string entry) { rows_.push_back(std::move(entry)); }

  // "&Edit": only a registry row; the dialog comes pre-filled from it.
  bool CanEdit() const;
  std::optional<AddRegistryDialog> EditSelected() const;
  void ReplaceSelected(std::string entry);

  bool CanRemove() const { return selection_.has_value(); }
  void RemoveSelected();

  // "&OK" needs at least one row, so an emptied list never erases the file.
  bool CanAccept() const { return !rows_.empty(); }
  platform::Status Save();

  const std::string& file() const { return file_; }

  // What the add dialogs need: "Add File and Folder" lists files, "Add Registry" opens
  // the registry editor (nothing to tell when it cannot be started).
  AddFolderDialog NewFolderDialog() const;
  void OpenRegistryEditor() const;

 private:
  platform::Platform platform_;
  std::string file_;
  std::vector<std::string> rows_;
  std::optional<std::size_t> selection_;
};

}  // namespace norvik::app::dialogs
