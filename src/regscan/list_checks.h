#pragma once
// Pieces the checks of well-known lists share: the two registry views a 64-bit program
// must read to see what a 32-bit one sees, string values one by one, and the value row.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"

namespace norvik::regscan {

class TScanTaskThread;

inline constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
inline constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

// One form of a key below HKEY_LOCAL_MACHINE\Software. `redirected`: the 32-bit view,
// whose texts are judged as a 32-bit program on 64-bit Windows would judge them.
struct KeyView {
  std::string path;
  bool redirected = false;
};

// The key itself, then its twin below Software\Wow6432Node. 32-bit programs on 64-bit
// Windows write their entries to the twin; on 32-bit Windows it simply does not exist.
std::vector<KeyView> SoftwareViews(std::string_view software_path);

// `a`\`b`, or `b` alone when `a` is empty.
std::string JoinPath(std::string_view a, std::string_view b);
bool ContainsIgnoreCase(std::string_view text, std::string_view part);

// Opens root\path for reading; a key that does not open is skipped by every check.
platform::RegKey OpenForScan(TScanTaskThread& scan, platform::RegRoot root, std::string_view path);

// Each REG_SZ / REG_EXPAND_SZ value of `key` as (name, text), until the scan stops.
void ForEachStringValue(const TScanTaskThread& scan, const platform::RegKey& key,
                        const std::function<void(const std::string&, const std::string&)>& visit);

// Each entry of `folder` but "." and "..", until the scan stops. False when the folder
// cannot be read; one that is not there holds nothing and reads fine.
bool ForEachFolderEntry(TScanTaskThread& scan, const std::string& folder,
                        const std::function<void(const platform::FindData&)>& visit);

// A row for a value: a name holding a backslash cannot be the last part of a path, so
// such a row names the key and carries the value name; any other names the value itself
// and carries `data`.
void AddValueRow(TScanTaskThread& scan, std::string_view problem, const std::string& key_text,
                 const std::string& value_name, const std::string& data);

}  // namespace norvik::regscan
