#include "regscan/empty_key_checks.h"

#include <algorithm>
#include <span>
#include <string>

#include "core/registry_access.h"
#include "platform/text_encoding.h"
#include "regscan/problem_row.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::EqualsIgnoreCase;
using platform::RegRoot;

constexpr std::string_view kObsoleteProblem = "Obsolete Software Entry";
constexpr std::string_view kUninstallProblem = "Empty Uninstall Entries";
constexpr std::string_view kEmptyKeyProblem = "Empty Registry Keys";

constexpr std::string_view kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::string_view kUninstallKey32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Keys Windows and common programs keep without values; an empty one is normal.
constexpr std::string_view kAlwaysKept[] = {
    "KasperskyLab\\protected",
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\MountPoints2",
    "Microsoft\\Protected Storage System Provider",
    "Software\\Microsoft\\DirectInput",
    "Printers",
    "Software\\Microsoft\\Multimedia\\Audio Compression Manager",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache",
    "Software\\Microsoft\\Windows NT\\CurrentVersion",
    "S-1-5-19_Classes",
    "S-1-5-20_Classes",
    "Microsoft\\SystemCertificates",
    "Software\\Classes",
    "Software\\Microsoft\\EventSystem",
    "Software\\Microsoft\\Internet Explorer\\Security",
    "Software\\Microsoft\\SAPI Layer",
    "Software\\Microsoft\\Speech",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Blocked",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SessionInfo",
    "Software\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Telephony\\HandoffPriorities",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Network\\Location Awareness",
    "Keyboard Layout\\Toggle",
    "Software\\Microsoft\\CTF",
    "Windows 3.1 Migration Status",
};
constexpr std::string_view kKeptOnWindows7[] = {
    "Software\\Microsoft\\MediaPlayer",
    "Software\\Microsoft\\MSF",
    "Software\\Microsoft\\Active Setup\\Installed Components",
    "Software\\Microsoft\\RAS AutoDial",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Action Center\\Checks",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Action Center\\Providers\\EventLog",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Cryptography",
};
constexpr std::string_view kKeptOnVista[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "Software\\Microsoft\\Active Setup\\Installed Components",
    "Software\\Microsoft\\IME\\15.0\\IMESC",
    "Software\\Microsoft\\MediaPlayer",
    "Software\\Microsoft\\MSF",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Action Center\\Checks",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Action Center\\Providers\\EventLog",
    "Software\\Microsoft\\Windows\\CurrentVersion\\AppModel",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist",
    "Software\\Microsoft\\Cryptography",
    "Software\\Microsoft\\TabletTip",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
};

bool ContainsAny(std::string_view path, std::span<const std::string_view> list) {
  return std::ranges::any_of(list, [&](std::string_view e) { return path.find(e) != std::string_view::npos; });
}

std::string Joined(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  return std::string(a) + "\\" + std::string(b);
}

// An empty key holds at most one subkey, itself empty, and a fix takes that chain with
// the key: every key of the chain must be one the lists let go.
bool ReportableChain(const TScanTaskThread& scan, const platform::RegKey& key, std::string path) {
  const platform::RegKey* at = &key;
  platform::RegKey below;
  for (int depth = 0; depth < platform::kMaxRegistryDepth; ++depth) {
    if (!IsReportableEmptyKey(path, scan.IsWindows7, scan.IsVersion11)) return false;
    const auto names = at->SubKeyNames();
    if (!names || names->empty()) return true;
    auto next = at->Open(names->front(), platform::reg_access::kAllAccess);
    if (!next) return false;
    path += "\\" + names->front();
    below = std::move(next).value();
    at = &below;
  }
  return false;
}

struct EmptyWalk {
  std::string_view problem;
  bool every_depth;   // judge the whole subtree, not only the direct subkeys
  bool kept_list;     // leave out the keys of IsReportableEmptyKey
};

// Judges the subkeys of root\key_path (and with every_depth all keys below them): an
// empty one is reported as a subkey of its parent.
void ScanEmptySubkeys(TScanTaskThread& scan, std::string_view root_name, std::string_view key_path,
                      const EmptyWalk& walk) {
  const std::string root_upper = platform::UpperCase(root_name);
  const auto root = core::RootFromName(root_upper);
  if (!root || scan.Stopped()) return;
  auto start = scan.platform().registry.Root(*root).Open(key_path, platform::reg_access::kAllAccess);
  if (!start) return;
  platform::WalkSubtree(
      *start,
      [&](const platform::WalkEntry& entry) {
        if (scan.Stopped()) return platform::WalkAction::Stop;
        if (entry.depth == 0) return platform::WalkAction::Continue;
        const std::size_t cut = entry.path.rfind('\\');
        const std::string_view name =
            cut == std::string::npos ? std::string_view(entry.path) : std::string_view(entry.path).substr(cut + 1);
        if ((*root == RegRoot::Users && EqualsIgnoreCase(name, ".DEFAULT")) || IsViewRoot(name)) {
          return platform::WalkAction::SkipSubkeys;
        }
        const std::string child = Joined(key_path, entry.path);
        scan.ShowKey(child);
        if (CountKeyValues(scan, entry.key, true, true, 1) < 1 &&
            (!walk.kept_list || ReportableChain(scan, entry.key, child))) {
          const std::string parent = cut == std::string::npos ? std::string() : entry.path.substr(0, cut);
          scan.AddProblemRow(std::string(walk.problem), std::string(name),
                             root_upper + "\\" + Joined(key_path, parent), kFixSubKey);
        }
        return walk.every_depth ? platform::WalkAction::Continue : platform::WalkAction::SkipSubkeys;
      },
      platform::reg_access::kAllAccess);
}

}  // namespace

bool IsViewRoot(std::string_view key_name) { return EqualsIgnoreCase(key_name, "Wow6432Node"); }

int CountKeyValues(const TScanTaskThread& scan, const platform::RegKey& key, bool count_empty_default, bool shortcut,
                   int limit) {
  const auto info = key.Info();
  if (!info) return 1;
  int n = static_cast<int>(info->value_count);
  if (!count_empty_default && n == 1) {
    const auto standard = key.Query("");
    if (standard && standard->IsString() && standard->AsString().empty()) n = 0;
  }
  if (limit != 0 && limit <= n) return n;
  const auto names = key.SubKeyNames();
  if (!names) return std::max(n, 1);
  if (shortcut && limit != 0 && names->size() > static_cast<std::size_t>(limit)) return static_cast<int>(names->size());
  for (const std::string& name : *names) {
    if (scan.Stopped()) return n;
    n += CountKeyValues(scan, key, name, count_empty_default, shortcut, limit);
    if (limit != 0 && n >= limit) break;
  }
  return n;
}

int CountKeyValues(const TScanTaskThread& scan, const platform::RegKey& base, std::string_view path,
                   bool count_empty_default, bool shortcut, int limit) {
  const auto key = base.Open(path, platform::reg_access::kAllAccess);
  if (!key) return 1;
  return CountKeyValues(scan, *key, count_empty_default, shortcut, limit);
}

bool IsEmptyKey(const TScanTaskThread& scan, const platform::RegKey& base, std::string_view path) {
  return CountKeyValues(scan, base, path, true, true, 1) < 1;
}

bool IsReportableEmptyKey(std::string_view path, bool is_windows7, bool is_version11) {
  if (ContainsAny(path, kAlwaysKept)) return false;
  if (is_windows7 && ContainsAny(path, kKeptOnWindows7)) return false;
  return !(is_version11 && ContainsAny(path, kKeptOnVista));
}

// Only the direct subkeys of Software are judged: one per vendor or product. The 32-bit
// programs' vendors and uninstall entries sit below Wow6432Node (absent on 32-bit Windows).
void ScanObsoleteSoftware(TScanTaskThread& scan) {
  const EmptyWalk walk{kObsoleteProblem, false, false};
  ScanEmptySubkeys(scan, "HKEY_CURRENT_USER", "Software", walk);
  ScanEmptySubkeys(scan, "HKEY_LOCAL_MACHINE", "Software", walk);
  ScanEmptySubkeys(scan, "HKEY_LOCAL_MACHINE", "Software\\Wow6432Node", walk);
}

void ScanUninstallerEntries(TScanTaskThread& scan) {
  const EmptyWalk walk{kUninstallProblem, true, false};
  ScanEmptySubkeys(scan, "HKEY_LOCAL_MACHINE", kUninstallKey, walk);
  ScanEmptySubkeys(scan, "HKEY_LOCAL_MACHINE", kUninstallKey32, walk);
}

void ScanEmptyKeys(TScanTaskThread& scan) {
  ScanEmptySubkeys(scan, "HKEY_USERS", "", EmptyWalk{kEmptyKeyProblem, true, true});
}

}  // namespace norvik::regscan
