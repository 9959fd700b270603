#include "regrepair/fix_errors.h"

#include <vector>

#include "core/registry_access.h"
#include "core/utility_routines.h"

namespace norvik::regrepair {
namespace {

using regscan::ProblemRow;

// A shortcut the scanner found broken. Only a file goes: a row naming a folder would
// otherwise take the whole folder with it.
DeleteOutcome DeleteShortcutFile(platform::Files& files, const std::string& path) {
  const auto attributes = files.GetAttributes(path);
  if (!attributes) {
    const auto code = attributes.code();
    return code == platform::kErrFileNotFound || code == platform::kErrPathNotFound ? DeleteOutcome::Missing
                                                                                    : DeleteOutcome::Failed;
  }
  if (*attributes & platform::file_attr::kDirectory) return DeleteOutcome::Failed;
  return files.ShellDelete(path) ? DeleteOutcome::Deleted : DeleteOutcome::Failed;
}

DeleteOutcome Fix(const ProblemRow& row, BackedUpDeletes& deletes, platform::Files& files) {
  const core::RegistryPath target = core::SplitRegistryPath(row.registry_key);
  const std::string& root = target.root;
  const std::string& path = target.key;
  switch (row.fix_kind) {
    case regscan::kFixKey: return deletes.DeleteKey(root, path);
    case regscan::kFixValuePath: {
      const auto cut = path.rfind('\\');
      if (cut == std::string::npos) return deletes.DeleteValue(root, "", path, true);
      return deletes.DeleteValue(root, path.substr(0, cut), path.substr(cut + 1), true);
    }
    case regscan::kFixNamedValue: return deletes.DeleteValue(root, path, row.data, true);
    case regscan::kFixSubKey: return deletes.DeleteKey(root, path + "\\" + row.data);
    case regscan::kFixShortcut: return DeleteShortcutFile(files, row.registry_key);
    case regscan::kFixDefaultValue: return deletes.DeleteValue(root, path, "", true);
    case regscan::kFixRot13Value: return deletes.DeleteValue(root, path, core::Rot13(row.data), true);
    default: return DeleteOutcome::Missing;  // a kind we do not know names nothing to delete
  }
}

}  // namespace

FixSummary FixTickedRows(regscan::ProblemRows& rows, BackedUpDeletes& deletes, platform::Files& files) {
  FixSummary summary;
  // Rows leave the list at the end, in one pass: 100,000 erasures one by one would crawl.
  std::vector<bool> leaves(rows.size(), false);
  for (std::size_t i = rows.size(); i-- > 0;) {
    ProblemRow& row = rows[i];
    if (!row.ticked || row.registry_key.find('\\') == std::string::npos) continue;
    try {
      if (Fix(row, deletes, files) == DeleteOutcome::Failed) {
        row.ticked = false;
        ++summary.not_fixed;
      } else {
        leaves[i] = true;
        ++summary.removed;
      }
    } catch (const BackupError& error) {
      summary.unwritable_backup = error.file();
      break;
    }
  }
  std::size_t i = 0;
  std::erase_if(rows, [&](const ProblemRow&) { return leaves[i++]; });
  return summary;
}

bool FolderExists(platform::Files& files, std::string_view folder) {
  const auto attributes = files.GetAttributes(folder);
  return attributes && (*attributes & platform::file_attr::kDirectory) != 0;
}

bool CreateFolderPath(platform::Files& files, std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  if (folder.empty() || FolderExists(files, folder)) return !folder.empty();
  const auto cut = folder.rfind('\\');
  // "C:" and "\\server\share" are where the walk up ends.
  if (cut != std::string_view::npos && cut > 2 && !CreateFolderPath(files, folder.substr(0, cut))) return false;
  (void)files.CreateDirectory(folder);
  return FolderExists(files, folder);
}

}  // namespace norvik::regrepair
