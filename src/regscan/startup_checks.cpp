#include "regscan/startup_checks.h"

#include <string>

#include "regscan/list_checks.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::RegRoot;

constexpr std::string_view kStartupProblem = "Non-existent Startup Programs";
constexpr std::string_view kRunKeys[] = {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                         "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"};
constexpr std::string_view kStartupReg = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
constexpr std::string_view kServices = "SYSTEM\\CurrentControlSet\\Services";

void ScanRunKey(TScanTaskThread& scan, RegRoot root, std::string_view root_name, const KeyView& view) {
  const platform::RegKey key = OpenForScan(scan, root, view.path);
  if (!key) return;
  scan.ShowKey(view.path);
  const std::string key_text = JoinPath(root_name, view.path);
  ForEachStringValue(scan, key, [&](const std::string& name, const std::string& command) {
    // An empty command (or an empty quoted one) starts nothing.
    if (command.empty() || command == "\"\"" || scan.IsMissingFileReference(command, "", false, view.redirected)) {
      AddValueRow(scan, kStartupProblem, key_text, name, command);
    }
  });
}

// Entries switched off in the system configuration tool keep their command in a key each.
void ScanDisabledStartups(TScanTaskThread& scan) {
  for (const KeyView& view : SoftwareViews(kStartupReg)) {
    const platform::RegKey parent = OpenForScan(scan, RegRoot::LocalMachine, view.path);
    if (!parent) continue;
    for (const std::string& entry : parent.SubKeyNames().value_or(std::vector<std::string>{})) {
      if (scan.Stopped()) return;
      const std::string path = JoinPath(view.path, entry);
      scan.ShowKey(path);
      const auto key = parent.Open(entry, platform::reg_access::kRead);
      if (!key) continue;
      const auto command = key->Query("command");
      if (!command || !command->IsString()) continue;
      const std::string text = command->AsString();
      if (scan.IsMissingFileReference(text, "", false, view.redirected)) {
        scan.AddProblemRow(std::string(kStartupProblem), text, JoinPath(kLocalMachine, path), kFixKey);
      }
    }
  }
}

}  // namespace

void ScanStartupPrograms(TScanTaskThread& scan) {
  for (const std::string_view run_key : kRunKeys) ScanRunKey(scan, RegRoot::CurrentUser, kCurrentUser, {std::string(run_key)});
  for (const std::string_view run_key : kRunKeys) {
    for (const KeyView& view : SoftwareViews(run_key)) ScanRunKey(scan, RegRoot::LocalMachine, kLocalMachine, view);
  }
  ScanDisabledStartups(scan);
}

void ScanServices(TScanTaskThread& scan) {
  const platform::RegKey services = OpenForScan(scan, RegRoot::LocalMachine, kServices);
  if (!services) return;
  for (const std::string& service : services.SubKeyNames().value_or(std::vector<std::string>{})) {
    if (scan.Stopped()) return;
    if (ContainsIgnoreCase(service, "SLSVC")) continue;  // the licensing service is never touched
    const std::string path = JoinPath(kServices, service);
    scan.ShowKey(path);
    const auto key = services.Open(service, platform::reg_access::kRead);
    if (!key) continue;
    const auto image = key->Query("ImagePath");
    if (!image || !image->IsString()) continue;
    const std::string text = image->AsString();
    if (scan.IsMissingFileReference(text, "", true)) {
      scan.AddProblemRow("Windows Service Issue", text, JoinPath(kLocalMachine, path) + "\\ImagePath", kFixValuePath);
    }
  }
}

}  // namespace norvik::regscan
