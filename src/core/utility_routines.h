#pragma once
// Small stateless routines shared across the program. Each takes the platform pieces it
// needs and answers a failure with a neutral result (false, 0, -1 or empty text); none
// shows anything or throws.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace norvik::core {

// Windows version code: 1, 3, 8 for the 95 family (4.0, 4.10, 4.90); 5, 6, 7, 9, 10,
// 11, 12 for NT (3.x, 4.x, 5.0, 5.1, 5.2, 6.x, 6.1); 10 for anything else.
std::uint8_t GetOsCode(const platform::OsVersion& version);
std::uint8_t GetOsCode(platform::System& system);
// True for the 95/98/Me codes.
bool Is9xFamily(std::uint8_t os_code);

// A string value read from an existing key; empty when the key or value is missing or
// the value is not a string.
std::string ReadRegString(platform::Registry& registry, platform::RegRoot root,
                          std::string_view key_path, std::string_view value_name);

// Kilobytes, rounded up, digits grouped by three with ",": 1536 -> "2". Negative
// counts read as 0.
std::string FormatKB(std::int64_t bytes);
// FormatKB + " KB".
std::string FormatSizeKB(std::int64_t bytes);
// "0" in front of anything below 10 ("07", also "0-1"), plain digits otherwise.
std::string TwoDigits(int n);

// True when the file exists and cannot be opened for reading and writing with no
// sharing. False for a missing file or a folder.
bool IsFileInUse(platform::Files& files, std::string_view path);
// Size of the first entry the (full) path finds; 0 when none.
std::uint64_t FileSizeOf(platform::Files& files, std::string_view path);
// 0 when missing, the size when the file can be listed, -1 when it exists but cannot.
std::int64_t FileSizeOrError(platform::Files& files, std::string_view path);
// The 8.3 form; empty when there is none or it would not fit in 259 characters.
std::string ShortPathOf(platform::Files& files, std::string_view path);
// The shell's silent delete, which takes folders with their contents as well as files.
// An empty path or a bare drive is refused.
bool DeleteFileSilently(platform::Files& files, std::string_view path);

bool IsWow64(platform::System& system);
bool IsAdmin(platform::System& system);
// Both answer whether the privilege is now enabled; callers may ignore it.
bool EnableBackupPrivilege(platform::System& system);
bool EnableRestorePrivilege(platform::System& system);

// Where a hive named as in the hive list ("\REGISTRY\MACHINE\SOFTWARE",
// "\REGISTRY\USER\S-1-5-...") is reached: HKEY_LOCAL_MACHINE or HKEY_USERS and the
// upper-cased path below it; nothing for any other name.
struct HiveKey {
  platform::RegRoot root;
  std::string subkey;
};
std::optional<HiveKey> HiveKeyOf(std::string_view hive_name);

// Saves a hive named as in the hive list ("\REGISTRY\MACHINE\SOFTWARE",
// "\REGISTRY\USER\S-1-5-...") to `destination`, deleting an existing destination first.
// With `is_64bit`, a SOFTWARE hive is opened in the 64-bit view. Needs the backup
// privilege on Windows.
bool SaveHiveToFile(platform::Registry& registry, platform::Files& files,
                    std::string_view hive_name, const std::string& destination, bool is_64bit);

// "\Device\HarddiskVolume1\WINDOWS" -> "c:\WINDOWS" by asking every drive letter which
// device it stands for; empty when no letter does.
std::string DevicePathToDosPath(platform::Files& files, std::string_view device_path);

// Target of a .lnk file; empty on any failure.
std::string ResolveShortcut(platform::Shell& shell, std::string_view lnk_path);

// The lines of a text file without their line ends ("\r\n" or "\n"); none when it is
// missing, unreadable or larger than `max_bytes`.
std::vector<std::string> ReadTextLines(platform::Files& files, const std::string& path,
                                       std::uint64_t max_bytes = 1 << 20);

// "Ctrl+Shift+F5", or with `spaced` "Ctrl  Shift  F5".
std::string HotkeyText(bool ctrl, bool shift, bool alt, std::string_view key_text, bool spaced);

std::string Rot13(std::string_view text);

}  // namespace norvik::core
