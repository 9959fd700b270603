#include "tools/startup_manager.h"

#include <algorithm>

#include "core/registry_access.h"
#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::tools {
namespace {

using platform::RegRoot;

struct RunKey {
  RegRoot root;
  std::string_view path;
  bool only_9x;
};

constexpr std::string_view kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kPolicyRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
constexpr std::string_view kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::string_view kRunServices = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

constexpr RunKey kRunKeys[] = {
    {RegRoot::CurrentUser, kRun, false},         {RegRoot::LocalMachine, kRun, false},
    {RegRoot::CurrentUser, kPolicyRun, false},   {RegRoot::LocalMachine, kPolicyRun, false},
    {RegRoot::CurrentUser, kRunOnce, false},     {RegRoot::LocalMachine, kRunOnce, false},
    {RegRoot::CurrentUser, kRunServices, true},  {RegRoot::LocalMachine, kRunServices, true},
};

struct StartupFolder {
  int csidl;
  std::string_view location;
};

constexpr StartupFolder kStartupFolders[] = {
    {platform::csidl::kStartup, kUserStartupLocation},
    {platform::csidl::kCommonStartup, kCommonStartupLocation},
};

bool IsWindows9x(std::uint8_t os_code) { return (os_code >= 1 && os_code <= 4) || os_code == 8; }

void AddRunKey(platform::Registry& registry, const RunKey& source, std::vector<StartupEntry>& entries) {
  auto key = registry.Root(source.root).Open(source.path, platform::reg_access::kRead);
  if (!key) return;
  auto names = key->ValueNames();
  if (!names) return;
  const std::string location = std::string(platform::RootName(source.root)) + "\\" + std::string(source.path);
  for (auto& name : *names) {
    auto value = key->Query(name);
    if (!value || !value->IsString()) continue;
    entries.push_back({std::move(name), value->AsString(), location});
  }
}

bool IsShortcutName(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot != std::string_view::npos && platform::UpperCase(name.substr(dot)) == ".LNK";
}

void AddStartupFolder(platform::Platform platform, const StartupFolder& source, std::vector<StartupEntry>& entries) {
  auto folder = platform.shell.SpecialFolder(source.csidl);
  if (!folder || folder->empty()) return;
  std::string prefix = std::move(*folder);
  if (prefix.back() != '\\') prefix += '\\';
  auto found = platform.files.FindFirst(prefix + "*");
  if (!found) return;
  for (platform::Result<platform::FindData> entry = std::move(found->first); entry; entry = found->rest.Next()) {
    if (entry->is_directory() || !IsShortcutName(entry->name)) continue;
    std::string target = core::ResolveShortcut(platform.shell, prefix + entry->name);
    if (!target.empty()) entries.push_back({entry->name, std::move(target), std::string(source.location)});
  }
}

const StartupFolder* FolderOf(const StartupEntry& entry) {
  for (const auto& folder : kStartupFolders) {
    if (entry.location == folder.location) return &folder;
  }
  return nullptr;
}

bool IsGone(platform::Status status) {
  return status.ok() || status.code() == platform::kErrFileNotFound || status.code() == platform::kErrPathNotFound;
}

// True when the entry is gone (deleted now, or already missing).
bool DeleteEntry(const StartupEntry& entry, platform::Platform platform, regrepair::BackedUpDeletes& deletes) {
  if (const StartupFolder* folder = FolderOf(entry)) {
    auto path = platform.shell.SpecialFolder(folder->csidl);
    if (!path || path->empty()) return false;
    if (path->back() != '\\') *path += '\\';
    return IsGone(platform.files.ShellDelete(*path + entry.caption));
  }
  const core::RegistryPath target = core::SplitRegistryPath(entry.location);
  using Outcome = regrepair::DeleteOutcome;
  const Outcome outcome = deletes.DeleteValue(target.root, target.key, entry.caption, true);
  return outcome == Outcome::Deleted || outcome == Outcome::Missing;
}

}  // namespace

std::vector<StartupEntry> ListStartupEntries(platform::Platform platform, std::uint8_t os_code) {
  std::vector<StartupEntry> entries;
  for (const auto& source : kRunKeys) {
    if (!source.only_9x || IsWindows9x(os_code)) AddRunKey(platform.registry, source, entries);
  }
  for (const auto& source : kStartupFolders) AddStartupFolder(platform, source, entries);
  return entries;
}

bool AnyCheckedRegistryEntry(const std::vector<StartupEntry>& entries) {
  return std::any_of(entries.begin(), entries.end(),
                     [](const StartupEntry& e) { return e.checked && FolderOf(e) == nullptr; });
}

StartupDeleteSummary DeleteCheckedEntries(std::vector<StartupEntry>& entries, platform::Platform platform,
                                          regrepair::BackedUpDeletes& deletes) {
  StartupDeleteSummary summary;
  for (std::size_t i = entries.size(); i-- > 0;) {
    const StartupEntry& entry = entries[i];
    if (!entry.checked) continue;
    // A location that names neither a folder nor a key path is no entry we can find.
    if (FolderOf(entry) == nullptr && entry.location.find('\\') == std::string::npos) {
      ++summary.not_removed;
      continue;
    }
    try {
      if (DeleteEntry(entry, platform, deletes)) {
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        summary.removed.push_back(i);
      } else {
        ++summary.not_removed;
      }
    } catch (const regrepair::BackupError& error) {
      summary.unwritable_backup = error.file();
      break;
    }
  }
  return summary;
}

}  // namespace norvik::tools
