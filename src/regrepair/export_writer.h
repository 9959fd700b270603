#pragma once
// Registry backups: what a fix is about to delete is first appended to a REGEDIT4 file,
// which the registry editor imports again ("Regedit /s file"). The file is named by the
// time the fix run starts; every export of the run appends to it.

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace norvik::regrepair {

// The backup could not be written (or could not be written so that it restores what it
// names): what was to be deleted after it stays.
class BackupError : public std::runtime_error {
 public:
  BackupError(std::string file, const std::string& why)
      : std::runtime_error(why + ": " + file), file_(std::move(file)) {}
  const std::string& file() const { return file_; }

 private:
  std::string file_;
};

// folder + "\" (when missing) + "2026_12_05_073420.reg" from the local time given.
std::string MakeBackupFileName(std::string_view folder, const platform::CalendarTime& now);

// Appends one export to `file` (a new file starts with the "REGEDIT4" line): the key's
// section with the one named value ("" is the default value), or with `whole_key` the
// key's section and those of its subtree, depth first. One trailing backslash of
// `key_path` is dropped. The text is written and flushed before this returns; any
// failure throws BackupError.
void SaveKeyToRegFile(platform::Registry& registry, platform::Files& files, const std::string& file,
                      platform::RegRoot root, std::string_view key_path, std::string_view value_name,
                      bool whole_key);

enum class DeleteOutcome {
  Deleted,
  Missing,  // nothing there to delete (nothing was written either)
  Failed,   // there, but it could not be read or deleted (access denied)
  BadRoot,  // the root text is none of the five full names
};

// The deletes of a fix run: each backs up what it deletes to the run's file first.
class BackedUpDeletes {
 public:
  BackedUpDeletes(platform::Registry& registry, platform::Files& files, std::string current_backup_file)
      : registry_(registry), files_(files), file_(std::move(current_backup_file)) {}

  const std::string& CurrentBackupFile() const { return file_; }

  // The key with its subtree. `root_text` is matched upper-cased against the five full
  // root names ("hkey_local_machine" passes, "HKLM" does not). Throws BackupError.
  DeleteOutcome DeleteKey(std::string_view root_text, std::string_view key_path);
  // One value ("" the default); without `back_up` nothing is written first.
  DeleteOutcome DeleteValue(std::string_view root_text, std::string_view key_path, std::string_view value_name,
                            bool back_up);

  // True when the key / value was deleted.
  bool DeleteRegKey(std::string_view root_text, std::string_view key_path) {
    return DeleteKey(root_text, key_path) == DeleteOutcome::Deleted;
  }
  bool DeleteRegValue(std::string_view root_text, std::string_view key_path, std::string_view value_name,
                      bool back_up) {
    return DeleteValue(root_text, key_path, value_name, back_up) == DeleteOutcome::Deleted;
  }

 private:
  platform::Registry& registry_;
  platform::Files& files_;
  std::string file_;
};

}  // namespace norvik::regrepair
