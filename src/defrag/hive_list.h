#pragma once
// The loaded registry hives and their files, as Windows lists them under
// HKLM\SYSTEM\CurrentControlSet\Control\hivelist ("\REGISTRY\MACHINE\SOFTWARE" =
// "\Device\HarddiskVolume2\Windows\System32\config\SOFTWARE").

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"

namespace norvik::defrag {

inline constexpr std::string_view kHiveListKey = "SYSTEM\\CurrentControlSet\\Control\\hivelist";
// Beside each hive file: its fresh copy, and the old file once Windows has replaced it.
inline constexpr std::string_view kHiveCopySuffix = ".fdc";
inline constexpr std::string_view kHiveBackupSuffix = ".bak";

// Entry i of `files` is the file of the hive named by entry i of `names`.
struct HiveList {
  std::vector<std::string> names;
  std::vector<std::string> files;
  std::size_t size() const { return names.size(); }
  bool empty() const { return names.empty(); }
};

inline std::string CopyOf(std::string_view hive_file) { return std::string(hive_file) + std::string(kHiveCopySuffix); }

// A 32-bit process reaches the real system folder only through "sysnative": the first
// "system32" becomes "sysnative" when that file exists; otherwise the path is kept.
std::string ToSysnativePath(platform::Files& files, std::string_view path);

// A hive list entry's device path as an existing drive path; empty when there is none.
// `is_wow64` applies the sysnative rule.
std::string HivePathToFile(platform::Files& files, std::string_view device_path, bool is_wow64);

// Every string entry of the hive list whose file can be found, in the listed order; an
// empty list when the key cannot be opened.
HiveList LoadHiveList(platform::Registry& registry, platform::Files& files, bool is_wow64);

}  // namespace norvik::defrag
