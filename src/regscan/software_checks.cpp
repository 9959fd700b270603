#include "regscan/software_checks.h"

#include <string>
#include <unordered_set>

#include "platform/text_encoding.h"
#include "regscan/hive_scan.h"
#include "regscan/list_checks.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::RegRoot;
using platform::UpperCase;

constexpr std::string_view kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr std::string_view kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr std::string_view kNtFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr std::string_view k9xFonts = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr std::string_view kHelpKeys[] = {"Software\\Microsoft\\Windows\\Help",
                                          "Software\\Microsoft\\Windows\\Html Help"};

// Upper-case names of the files (not folders) in the system fonts folder.
std::unordered_set<std::string> FontFileNames(TScanTaskThread& scan) {
  std::unordered_set<std::string> names;
  const auto folder = scan.platform().shell.SpecialFolder(platform::csidl::kFonts);
  if (!folder) return names;
  ForEachFolderEntry(scan, *folder, [&](const platform::FindData& entry) {
    if (!entry.is_directory()) names.insert(UpperCase(entry.name));
  });
  return names;
}

}  // namespace

void ScanSoftwareLocations(TScanTaskThread& scan) {
  for (const KeyView& view : SoftwareViews(kAppPaths)) {
    ScanKeyTreeValues(scan, kLocalMachine, view.path, "Software Locations Issue", "");
  }
}

void ScanSharedDlls(TScanTaskThread& scan) {
  for (const KeyView& view : SoftwareViews(kSharedDlls)) {
    const platform::RegKey key = OpenForScan(scan, RegRoot::LocalMachine, view.path);
    if (!key) continue;
    scan.ShowKey(view.path);
    const std::string key_text = JoinPath(kLocalMachine, view.path);
    for (const std::string& dll : key.ValueNames().value_or(std::vector<std::string>{})) {
      if (scan.Stopped()) return;
      const auto count = key.Query(dll);
      if (!count || count->type != platform::RegType::Dword) continue;
      // A DLL nothing counts on any more is as stale as one that is gone.
      if (scan.OnEmptyFloppy(dll) || scan.IsMissingFileReference(dll, "", false, view.redirected) ||
          count->AsDword() == 0) {
        scan.AddProblemRow("Non-existent Shared Dlls", dll, key_text, kFixNamedValue);
      }
    }
  }
}

void ScanFonts(TScanTaskThread& scan) {
  // Every NT version keeps its fonts under Windows NT, whatever GetOsCode calls it.
  const bool nt = scan.platform().system.GetVersion().platform_id == 2;
  const std::string_view key_path = nt ? kNtFonts : k9xFonts;
  const auto folder_names = FontFileNames(scan);
  const platform::RegKey key = OpenForScan(scan, RegRoot::LocalMachine, key_path);
  if (!key) return;
  scan.ShowKey(key_path);
  const std::string key_text = JoinPath(kLocalMachine, key_path);
  ForEachStringValue(scan, key, [&](const std::string& name, const std::string& file) {
    // A bare name is a file of the fonts folder; a full path is tested where it points.
    const bool missing = scan.OnEmptyFloppy(file) ||
                         (!folder_names.contains(UpperCase(file)) && scan.IsMissingFileReference(file, "", false));
    if (missing) AddValueRow(scan, "Invalid Windows Fonts", key_text, name, file);
  });
}

void ScanHelpFiles(TScanTaskThread& scan) {
  for (const std::string_view help_key : kHelpKeys) {
    for (const KeyView& view : SoftwareViews(help_key)) {
      const platform::RegKey key = OpenForScan(scan, RegRoot::LocalMachine, view.path);
      if (!key) continue;
      scan.ShowKey(view.path);
      const std::string key_text = JoinPath(kLocalMachine, view.path);
      // The value names a help file, its data the folder that holds it.
      ForEachStringValue(scan, key, [&](const std::string& name, const std::string& folder) {
        const std::string path = folder.empty() || folder.ends_with('\\') ? folder + name : folder + "\\" + name;
        if (scan.OnEmptyFloppy(path) || scan.IsMissingFileReference(path, "", false, view.redirected)) {
          AddValueRow(scan, "Invalid Help Files Item", key_text, name, path);
        }
      });
    }
  }
}

}  // namespace norvik::regscan
