#include "regscan/file_type_checks.h"

#include "platform/text_encoding.h"
#include "regscan/empty_key_checks.h"
#include "regscan/problem_row.h"
#include "regscan/scan_task.h"
#include "regscan/subkey_loop.h"

namespace norvik::regscan {
namespace {

using platform::EqualsIgnoreCase;
using platform::RegKey;
using platform::RegType;

constexpr std::string_view kExtensionProblem = "Useless File Extension";
constexpr std::string_view kApplicationProblem = "Open with Application Issue";
constexpr std::string_view kClassesKey = "Software\\Classes";
constexpr std::string_view kFileExtsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr std::string_view kApplicationsKey = "Software\\Classes\\Applications";

// 64-bit Windows 7 (the only Windows 7 this program runs on) keeps many class keys with a
// lone number or an empty text as their default; there only keys with nothing at all count.
bool StrictEmptiness(const TScanTaskThread& scan) { return scan.IsWindows7; }

bool HoldsNothing(const RegKey& key) {
  const auto info = key.Info();
  return info && info->subkey_count == 0 && info->value_count == 0;
}

bool UselessClass(const TScanTaskThread& scan, const RegKey& key) {
  if (StrictEmptiness(scan)) return HoldsNothing(key);
  const auto standard = key.Query("");
  if (standard && (standard->type == RegType::Dword || standard->type == RegType::Binary)) return false;
  const auto info = key.Info();
  if (!info || info->subkey_count != 0) return false;
  if (info->value_count == 0) return true;
  return info->value_count == 1 && standard && standard->IsString() && standard->AsString().empty();
}

void ScanMachineClasses(TScanTaskThread& scan) {
  const RegKey machine = scan.platform().registry.Root(platform::RegRoot::LocalMachine);
  ForEachSubkey(scan, machine, kClassesKey, [&](const std::string& name, const std::string&, const RegKey& key) {
    if (!IsViewRoot(name) && UselessClass(scan, key)) {
      scan.AddProblemRow(std::string(kExtensionProblem), name, "HKEY_LOCAL_MACHINE\\" + std::string(kClassesKey),
                         kFixSubKey);
    }
  });
}

void ScanExplorerExtensions(TScanTaskThread& scan) {
  const RegKey user = scan.platform().registry.Root(platform::RegRoot::CurrentUser);
  ForEachSubkey(scan, user, kFileExtsKey, [&](const std::string& name, const std::string& path, const RegKey& key) {
    if (StrictEmptiness(scan) ? HoldsNothing(key) : IsEmptyKey(scan, user, path)) {
      scan.AddProblemRow(std::string(kExtensionProblem), name, "HKEY_CURRENT_USER\\" + std::string(kFileExtsKey),
                         kFixSubKey);
    }
  });
}

}  // namespace

std::optional<std::string> FindCommandKey(const TScanTaskThread& scan, const RegKey& root, const std::string& path,
                                          std::string& last_found) {
  if (scan.Stopped()) return std::nullopt;
  const auto key = root.Open(path, platform::reg_access::kRead);
  if (!key) return std::nullopt;
  if (const auto command = key->Open("command", platform::reg_access::kRead)) {
    const auto line = command->Query("");
    if (!line || line->IsString()) {
      if (last_found.empty()) {
        last_found = path;
        return line ? line->AsString() : std::string();
      }
      if (EqualsIgnoreCase(last_found, path)) last_found.clear();
    }
  }
  const auto names = key->SubKeyNames();
  if (!names) return std::nullopt;
  for (const std::string& name : *names) {
    // The verbs of a key sit beside its command, never below it.
    if (EqualsIgnoreCase(name, "command")) continue;
    if (auto found = FindCommandKey(scan, root, path + "\\" + name, last_found)) return found;
  }
  return std::nullopt;
}

void ScanFileExtensions(TScanTaskThread& scan) {
  ScanMachineClasses(scan);
  ScanExplorerExtensions(scan);
}

void ScanApplications(TScanTaskThread& scan) {
  const RegKey machine = scan.platform().registry.Root(platform::RegRoot::LocalMachine);
  ForEachSubkey(scan, machine, kApplicationsKey, [&](const std::string&, const std::string& path, const RegKey&) {
    std::string found;
    while (const auto line = FindCommandKey(scan, machine, path, found)) {
      if (line->empty() || scan.IsMissingFileReference(*line, "", false)) {
        scan.AddProblemRow(std::string(kApplicationProblem), *line, "HKEY_LOCAL_MACHINE\\" + found + "\\command",
                           kFixKey);
      }
    }
  });
}

}  // namespace norvik::regscan
