#pragma once
// Keys that hold nothing: Obsolete Software, Uninstaller Entry and Empty Keys, and the one
// measure they (and the file-extension check) share.

#include <string_view>

#include "platform/registry.h"

namespace norvik::regscan {

class TScanTaskThread;

// Root of the 32-bit view on 64-bit Windows: a 32-bit program never sees it as a key,
// so it is never a vendor, an extension or an empty key of its own.
bool IsViewRoot(std::string_view key_name);

// Values found in `key` and below it; below 1 exactly when the key is empty. With
// `count_empty_default` off, a lone empty default string does not count. With `limit`
// set, counting stops once it is reached; with `shortcut` also, a key with more than
// `limit` subkeys answers their number unopened. Keys are opened with full access, as a
// fix would need; one that does not open is not judged and counts as 1.
int CountKeyValues(const TScanTaskThread& scan, const platform::RegKey& key, bool count_empty_default, bool shortcut,
                   int limit);
int CountKeyValues(const TScanTaskThread& scan, const platform::RegKey& base, std::string_view path,
                   bool count_empty_default, bool shortcut, int limit);
// How every section asks: is this key empty?
bool IsEmptyKey(const TScanTaskThread& scan, const platform::RegKey& base, std::string_view path);

// False for keys Windows keeps empty on purpose (plain, case-sensitive substrings of
// `path`); the Windows 7 and Vista lists apply on those versions only.
bool IsReportableEmptyKey(std::string_view path, bool is_windows7, bool is_version11);

void ScanObsoleteSoftware(TScanTaskThread& scan);
void ScanUninstallerEntries(TScanTaskThread& scan);
void ScanEmptyKeys(TScanTaskThread& scan);

}  // namespace norvik::regscan
