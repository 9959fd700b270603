#include "regscan/hive_scan.h"

#include <algorithm>
#include <span>
#include <string>

#include "core/registry_access.h"
#include "platform/text_encoding.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::EqualsIgnoreCase;
using platform::UpperCase;

constexpr std::string_view kLocalMachineTitle = "Scanning: HKEY_LOCAL_MACHINE";
constexpr std::string_view kCurrentUserTitle = "Scanning: HKEY_CURRENT_USER";

// Keys the Startup, Uninstall, Help, MRU and other sections examine themselves.
constexpr std::string_view kLocalMachineSkips[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Software\\Microsoft\\Windows\\Help",
    "Software\\Microsoft\\Windows\\Html Help",
    "Software\\Classes\\Applications",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache\\Paths\\path1",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache\\Paths\\path2",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache\\Paths\\path3",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache\\Paths\\path4",
    "SOFTWARE\\Microsoft\\Office\\Delivery\\SourceEngine\\Downloads",
};
constexpr std::string_view kLocalMachineVista[] = {
    "Software\\Microsoft\\PowerShell\\3",
    "Software\\Microsoft\\Speech\\Voices\\Tokens",
    "Software\\Microsoft\\Windows\\CurrentVersion\\ShellCompatibility\\InboxApp",
};
constexpr std::string_view kCurrentUserSkips[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "AppEvents\\Schemes\\Apps",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
};
constexpr std::string_view kImmersiveShell = "Software\\Microsoft\\Windows\\CurrentVersion\\ImmersiveShell";

constexpr std::string_view kWowNode = "WOW6432NODE";
constexpr std::string_view kWowLoopPrefix = "SOFTWARE\\WOW6432NODE\\WOW6432NODE";

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// A key of the 32-bit view of a 64-bit registry: below a Wow6432Node key, or the win32
// entry of a type library (its sibling win64 names the 64-bit file).
bool InRedirectedView(const std::string& upper_path) {
  if (upper_path.ends_with("\\WIN32") && Contains(upper_path, "TYPELIB\\")) return true;
  std::size_t at = 0;
  while ((at = upper_path.find(kWowNode, at)) != std::string::npos) {
    const std::size_t end = at + kWowNode.size();
    if ((at == 0 || upper_path[at - 1] == '\\') && (end == upper_path.size() || upper_path[end] == '\\')) return true;
    at = end;
  }
  return false;
}

// A 64-bit process sees the 32-bit twins of the skipped keys under Software\Wow6432Node;
// they belong to the same sections.
std::string WithoutWowNode(std::string_view key_path) {
  constexpr std::string_view kPrefix = "Software\\Wow6432Node";
  if (key_path.size() >= kPrefix.size() && EqualsIgnoreCase(key_path.substr(0, kPrefix.size()), kPrefix) &&
      (key_path.size() == kPrefix.size() || key_path[kPrefix.size()] == '\\')) {
    return "Software" + std::string(key_path.substr(kPrefix.size()));
  }
  return std::string(key_path);
}

bool EqualsAny(std::string_view path, std::span<const std::string_view> list) {
  return std::ranges::any_of(list, [&](std::string_view e) { return EqualsIgnoreCase(path, e); });
}

bool Skipped(const TScanTaskThread& scan, std::string_view key_path) {
  if (scan.Title() == kLocalMachineTitle) {
    const std::string folded = scan.Wow64 ? std::string(key_path) : WithoutWowNode(key_path);
    if (EqualsAny(folded, kLocalMachineSkips)) return true;
    if (scan.IsVersion11 && std::ranges::any_of(kLocalMachineVista, [&](auto e) { return Contains(key_path, e); })) {
      return true;
    }
  }
  if (scan.Title() == kCurrentUserTitle && EqualsAny(key_path, kCurrentUserSkips)) return true;
  return scan.IsVersion11 && Contains(key_path, kImmersiveShell);
}

std::string Joined(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  return std::string(a) + "\\" + std::string(b);
}

void ScanValues(TScanTaskThread& scan, const platform::RegKey& key, const std::string& root_name,
                const std::string& key_path, std::string_view problem, std::string_view required_ext) {
  auto names = key.ValueNames();
  if (!names) return;
  const bool redirected = InRedirectedView(UpperCase(key_path));
  for (const std::string& name : *names) {
    if (scan.Stopped()) return;
    auto value = key.Query(name);
    if (!value || !value->IsString()) continue;
    const std::string text = value->AsString();
    if (!scan.IsMissingFileReference(text, required_ext, true, redirected)) continue;
    const std::string registry_key = Joined(root_name, key_path);
    if (Contains(name, "\\")) {
      scan.AddProblemRow(std::string(problem), name, registry_key, kFixNamedValue);
    } else {
      scan.AddProblemRow(std::string(problem), text, Joined(registry_key, name), kFixValuePath);
    }
  }
}

void ScanHive(TScanTaskThread& scan, std::string_view root_name, std::string_view key_path) {
  ScanKeyTreeValues(scan, root_name, key_path, kMissingFileProblem, "");
}

}  // namespace

void ScanKeyTreeValues(TScanTaskThread& scan, std::string_view root_name, std::string_view key_path,
                       std::string_view problem, std::string_view required_ext) {
  const std::string root_upper = UpperCase(root_name);
  const auto root = core::RootFromName(root_upper);
  if (!root || root == platform::RegRoot::PerformanceData || scan.Stopped()) return;
  auto start = scan.platform().registry.Root(*root).Open(key_path, platform::reg_access::kRead);
  if (!start) return;
  platform::WalkSubtree(*start, [&](const platform::WalkEntry& entry) {
    if (scan.Stopped()) return platform::WalkAction::Stop;
    const std::string path = entry.path.empty() ? std::string(key_path) : Joined(key_path, entry.path);
    if (Skipped(scan, path)) return platform::WalkAction::SkipSubkeys;
    if (*root == platform::RegRoot::LocalMachine && UpperCase(path).starts_with(kWowLoopPrefix)) {
      return platform::WalkAction::SkipSubkeys;
    }
    scan.ShowKey(path);
    ScanValues(scan, entry.key, root_upper, path, problem, required_ext);
    return scan.Stopped() ? platform::WalkAction::Stop : platform::WalkAction::Continue;
  });
}

void ScanClassesRootFiles(TScanTaskThread& scan) { ScanHive(scan, "HKEY_CLASSES_ROOT", ""); }
void ScanCurrentUserFiles(TScanTaskThread& scan) { ScanHive(scan, "HKEY_CURRENT_USER", ""); }
void ScanLocalMachineFiles(TScanTaskThread& scan) { ScanHive(scan, "HKEY_LOCAL_MACHINE", "Software"); }
void ScanUsersFiles(TScanTaskThread& scan) { ScanHive(scan, "HKEY_USERS", ""); }

}  // namespace norvik::regscan
