#pragma once
// The programs Windows starts at logon: string values of the run keys and shortcuts in the
// two Startup folders, listed and deleted one checked row at a time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "regrepair/export_writer.h"

namespace norvik::tools {

inline constexpr std::string_view kUserStartupLocation = "Startup";
inline constexpr std::string_view kCommonStartupLocation = "Common Startup";

struct StartupEntry {
  std::string caption;   // the value name, or the shortcut's file name with its ".lnk"
  std::string file;      // the value's text, or the shortcut's target
  std::string location;  // "HKEY_CURRENT_USER\Software\...\Run", "Startup" or "Common Startup"
  bool checked = false;
};

// Run, Policies\Explorer\Run, RunOnce (and RunServices on the Windows 95 family, `os_code`
// 1 to 4 or 8), each under HKEY_CURRENT_USER then HKEY_LOCAL_MACHINE; then the user's and the
// all-users Startup folders. Only REG_SZ and REG_EXPAND_SZ values, and only shortcuts whose
// target resolves, are listed; a key or folder that cannot be read adds nothing.
std::vector<StartupEntry> ListStartupEntries(platform::Platform platform, std::uint8_t os_code);

// True when a checked row names a registry value (its deletion writes a backup).
bool AnyCheckedRegistryEntry(const std::vector<StartupEntry>& entries);

struct StartupDeleteSummary {
  std::vector<std::size_t> removed;              // the rows that left, last first
  std::size_t not_removed = 0;                   // checked rows whose entry is still there
  std::optional<std::string> unwritable_backup;  // set when the run stopped at its backup
};

// Deletes the checked entries, the last row first: folder entries through the shell's
// delete, registry values by name after their backup to the run's file. A row leaves
// `entries` only when its entry is gone; a failed one stays and is counted. A backup that
// cannot be written ends the run before its value is touched.
StartupDeleteSummary DeleteCheckedEntries(std::vector<StartupEntry>& entries, platform::Platform platform,
                                          regrepair::BackedUpDeletes& deletes);

}  // namespace norvik::tools
