#include "regscan/installer_checks.h"

#include <algorithm>
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

constexpr std::string_view kInstallerProblem = "Installer Refrence Issue";
constexpr std::string_view kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::string_view kAddRemoveList = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::string_view kInstallerFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
constexpr std::string_view kArpCache = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";

std::vector<std::string> SubKeys(const platform::RegKey& key) {
  return key ? key.SubKeyNames().value_or(std::vector<std::string>{}) : std::vector<std::string>{};
}

// Every value name is a folder some installed product uses.
void ScanInstallerFolders(TScanTaskThread& scan) {
  for (const KeyView& view : SoftwareViews(kInstallerFolders)) {
    const platform::RegKey key = OpenForScan(scan, RegRoot::LocalMachine, view.path);
    if (!key) continue;
    scan.ShowKey(view.path);
    for (const std::string& folder : key.ValueNames().value_or(std::vector<std::string>{})) {
      if (scan.Stopped()) return;
      if (scan.IsMissingFileReference(folder, "", true, view.redirected)) {
        scan.AddProblemRow(std::string(kInstallerProblem), folder, JoinPath(kLocalMachine, view.path), kFixNamedValue);
      }
    }
  }
}

// A cached entry of a program neither uninstall list holds any more. The cache serves
// both lists, so an entry is judged against both.
void ScanArpCache(TScanTaskThread& scan) {
  std::unordered_set<std::string> installed;
  for (const KeyView& view : SoftwareViews(kUninstall)) {
    for (const std::string& name : SubKeys(OpenForScan(scan, RegRoot::LocalMachine, view.path))) {
      installed.insert(UpperCase(name));
    }
  }
  for (const KeyView& view : SoftwareViews(kArpCache)) {
    const std::vector<std::string> cached = SubKeys(OpenForScan(scan, RegRoot::LocalMachine, view.path));
    for (const std::string& name : cached) {
      if (scan.Stopped()) return;
      scan.ShowKey(JoinPath(view.path, name));
      if (!installed.contains(UpperCase(name))) {
        scan.AddProblemRow(std::string(kInstallerProblem), name, JoinPath(kLocalMachine, view.path), kFixSubKey);
      }
    }
  }
}

// Add/Remove Programs lists an entry by its uninstall command, whatever the letter case
// of the value's name; an entry marked as a system component is hidden on purpose.
bool IsListableEntry(const platform::RegKey& entry) {
  const auto names = entry.ValueNames();
  if (!names) return true;  // unreadable: not judged
  return entry.HasValue("SystemComponent") ||
         std::ranges::any_of(*names, [](const std::string& n) { return ContainsIgnoreCase(n, "UninstallString"); });
}

}  // namespace

void ScanInstaller(TScanTaskThread& scan) {
  for (const KeyView& view : SoftwareViews(kUninstall)) {
    ScanKeyTreeValues(scan, kLocalMachine, view.path, kInstallerProblem, ".exe");
  }
  ScanInstallerFolders(scan);
  ScanArpCache(scan);
}

void ScanAddRemovePrograms(TScanTaskThread& scan) {
  for (const KeyView& view : SoftwareViews(kAddRemoveList)) {
    const platform::RegKey uninstall = OpenForScan(scan, RegRoot::LocalMachine, view.path);
    for (const std::string& product : SubKeys(uninstall)) {
      if (scan.Stopped()) return;
      if (product.starts_with('{')) continue;  // installer products: listed from their own data
      scan.ShowKey(JoinPath(view.path, product));
      const auto entry = uninstall.Open(product, platform::reg_access::kRead);
      if (entry && !IsListableEntry(*entry)) {
        scan.AddProblemRow("Invalid Add/Remove Programs", product, JoinPath(kLocalMachine, view.path), kFixSubKey);
      }
    }
  }
}

}  // namespace norvik::regscan
