#include "regscan/shell_checks.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/utility_routines.h"
#include "platform/text_encoding.h"
#include "regscan/list_checks.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::RegRoot;
using platform::UpperCase;

constexpr std::string_view kMenuOrderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\&Programs",
};
constexpr int kShortcutFolders[] = {
    platform::csidl::kCommonStartMenu, platform::csidl::kCommonDesktopDirectory, platform::csidl::kAppData,
    platform::csidl::kRecent,          platform::csidl::kStartMenu,              platform::csidl::kDesktopDirectory,
};
constexpr std::string_view kSoundsKey = "AppEvents\\Schemes\\Apps";
constexpr std::string_view kSoundEntryNames[] = {".CURRENT", ".DEFAULT", "UTOPIA0"};

// Deeper than any real profile; a walk stops there rather than run away.
constexpr int kMaxFolderDepth = 64;

// Adds the upper-case names of the subfolders of a special folder. Nothing when the
// folder cannot be named or read: the caller then judges nothing.
bool AddSubfolderNames(TScanTaskThread& scan, int csidl, std::unordered_set<std::string>& names) {
  const auto folder = scan.platform().shell.SpecialFolder(csidl);
  if (!folder) return false;
  return ForEachFolderEntry(scan, *folder, [&](const platform::FindData& entry) {
    if (entry.is_directory()) names.insert(UpperCase(entry.name));
  });
}

bool IsFolder(TScanTaskThread& scan, const std::string& path) {
  const auto attributes = scan.platform().files.GetAttributes(path);
  return attributes.ok() && (*attributes & platform::file_attr::kDirectory) != 0;
}

void JudgeShortcut(TScanTaskThread& scan, const std::string& lnk) {
  scan.ShowKey(lnk);
  const std::string target = core::ResolveShortcut(scan.platform().shell, lnk);
  if (scan.Wow64 && (ContainsIgnoreCase(target, "system32") || ContainsIgnoreCase(target, "ProgramFiles") ||
                     ContainsIgnoreCase(target, "Program Files"))) {
    return;  // a 32-bit program would look for these in other folders than the shortcut means
  }
  // Only targets on a drive this scan reports on; network and shell targets are passed over.
  if (target.size() < 3 || target.compare(1, 2, ":\\") != 0) return;
  if (!ContainsIgnoreCase(scan.ScanDrives, target.substr(0, 1))) return;
  const bool missing = scan.OnEmptyFloppy(target) ||
                       (scan.IsMissingFileReference(target, "", false) && !IsFolder(scan, target));
  if (missing) scan.AddProblemRow("Missing ShortCut reference", target, lnk, kFixShortcut);
}

bool IsShortcutName(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot != std::string_view::npos && UpperCase(name.substr(dot)) == ".LNK";
}

bool IsSoundEntry(std::string_view key_name) {
  const std::string upper = UpperCase(key_name);
  return std::ranges::find(kSoundEntryNames, upper) != std::end(kSoundEntryNames);
}

}  // namespace

void ScanStartMenu(TScanTaskThread& scan) {
  std::unordered_set<std::string> folders;
  if (!AddSubfolderNames(scan, platform::csidl::kPrograms, folders) ||
      !AddSubfolderNames(scan, platform::csidl::kCommonPrograms, folders)) {
    return;
  }
  for (const std::string_view order_key : kMenuOrderKeys) {
    const platform::RegKey key = OpenForScan(scan, RegRoot::CurrentUser, order_key);
    if (!key) continue;
    for (const std::string& name : key.SubKeyNames().value_or(std::vector<std::string>{})) {
      if (scan.Stopped()) return;
      scan.ShowKey(JoinPath(order_key, name));
      if (!folders.contains(UpperCase(name))) {
        scan.AddProblemRow("Old Start Menu Key", name, JoinPath(kCurrentUser, order_key), kFixSubKey);
      }
    }
  }
}

void ScanShortcuts(TScanTaskThread& scan) {
  // Since Vista the Start menu and the recent documents lie inside the application data
  // folder: each folder is walked once, or every shortcut there would be reported twice.
  std::vector<std::string> folders;
  for (const int csidl : kShortcutFolders) {
    if (const auto folder = scan.platform().shell.SpecialFolder(csidl)) folders.push_back(*folder);
  }
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (scan.Stopped()) return;
    const std::string upper = UpperCase(folders[i]) + "\\";
    const bool inside_another = std::ranges::any_of(folders, [&](const std::string& other) {
      const std::string other_upper = UpperCase(other) + "\\";
      return other_upper != upper ? upper.starts_with(other_upper) : &other < &folders[i];
    });
    if (!inside_another) ScanShortcutFolder(scan, folders[i]);
  }
}

void ScanShortcutFolder(TScanTaskThread& scan, const std::string& folder, int depth) {
  if (depth > kMaxFolderDepth) return;
  ForEachFolderEntry(scan, folder, [&](const platform::FindData& entry) {
    const std::string path = folder + "\\" + entry.name;
    if (entry.is_directory()) {
      // A junction (Vista's "Application Data" points back at its own parent) is not ours to walk.
      if (!entry.is_reparse_point()) ScanShortcutFolder(scan, path, depth + 1);
    } else if (IsShortcutName(entry.name)) {
      JudgeShortcut(scan, path);
    }
  });
}

void ScanSounds(TScanTaskThread& scan) {
  const platform::RegKey start = OpenForScan(scan, RegRoot::CurrentUser, kSoundsKey);
  if (!start) return;
  platform::WalkSubtree(start, [&](const platform::WalkEntry& entry) {
    if (scan.Stopped()) return platform::WalkAction::Stop;
    const std::string_view name = std::string_view(entry.path).substr(entry.path.rfind('\\') + 1);
    if (entry.depth == 0 || !IsSoundEntry(name)) return platform::WalkAction::Continue;
    const auto sound = entry.key.Query("");
    if (!sound || !sound->IsString()) return platform::WalkAction::Continue;
    const std::string path = JoinPath(kSoundsKey, entry.path);
    scan.ShowKey(path);
    const std::string file = sound->AsString();
    if (scan.IsMissingFileReference(file, "", false)) {
      scan.AddProblemRow("Non-existent Sound File", file, JoinPath(kCurrentUser, path), kFixDefaultValue);
    }
    return platform::WalkAction::Continue;
  });
}

}  // namespace norvik::regscan
